// Tells a temporary file that a writer is still writing from one that a crash or a power cut
// left behind. The writer holds an open-file-description lock (F_OFD_SETLK) on its temporary
// file from creating it until it has renamed it; the kernel drops the lock when the process
// ends, however it ends, and a power cut drops every lock. A temporary file whose lock can be
// taken has no writer: it is abandoned and may go.
//
// Why this holds where receivers keep recordings: on ext2/3/4 and vfat the locks live in the
// kernel that mounts the disk, and a disk is mounted by one kernel at a time, so every writer
// asks the same kernel. NFS passes the locks to the server (NLM for versions 2 and 3, the
// protocol's own locks for version 4), so a receiver and a desktop that share the disk see each
// other's; the server frees a crashed client's locks once its lease runs out. Only an NFS mount
// with "nolock" (or "local_lock") keeps the locks on each machine: there a rebuild on one may
// remove the other's temporary file, whose rename then fails and whose rebuild reports it; the
// list stays whole either way.
#pragma once

namespace disk {

// Locks the temporary file `fd`, just created as `name` in the directory `directoryFd`, for
// its writer. 0 when locked, or when the file system has no locks, and `name` still leads to
// it; -1 otherwise, when a clean-up took it away in the moment between creating and locking:
// the caller makes another.
int lockTemporaryFile(int directoryFd, const char* name, int fd);

// Removes the temporary file `name` in `directoryFd` if it is an abandoned one: a regular
// file whose lock no writer holds. Its type is checked before anything opens it: nothing but a
// regular file is ever opened. 0 when removed; -1 with errno otherwise (EAGAIN: a writer holds
// it; ENOENT: it is gone already, or was replaced while being checked; EEXIST: it is no
// regular file, so none of ours).
int removeAbandonedTemporaryFile(int directoryFd, const char* name);

}  // namespace disk
