#include "disk/temporary_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace disk {
namespace {

// Takes the lock of the whole file `fd` without waiting: a write lock for the writer, a read
// lock for the clean-up (which may not be allowed to open the file for writing); the two
// conflict.
bool lockWhole(int fd, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;  // from offset 0, length 0: the whole file, however it grows
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether `name` in `directoryFd` is the file open as `fd`.
bool nameLeadsTo(int directoryFd, const char* name, int fd) {
  struct stat byName, open;
  return ::fstatat(directoryFd, name, &byName, AT_SYMLINK_NOFOLLOW) == 0 &&
         ::fstat(fd, &open) == 0 && byName.st_dev == open.st_dev && byName.st_ino == open.st_ino;
}

// Removes `name`, open as `fd`, if its lock can be taken and the name still leads to it.
int removeIfUnlocked(int directoryFd, const char* name, int fd) {
  if (!lockWhole(fd, F_RDLCK)) {
    errno = EAGAIN;
    return -1;
  }
  if (!nameLeadsTo(directoryFd, name, fd)) {
    errno = ENOENT;  // renamed into place, or removed, since it was opened
    return -1;
  }
  // Removed while the lock is held: a writer that has just created this name cannot lock it
  // now, and makes another.
  return ::unlinkat(directoryFd, name, 0);
}

}  // namespace

int lockTemporaryFile(int directoryFd, const char* name, int fd) {
  // A clean-up holds it, and is removing it. A file system without locks (ENOLCK, EINVAL)
  // gets its files written unlocked: no clean-up can lock them either, so none removes them.
  if (!lockWhole(fd, F_WRLCK) && (errno == EAGAIN || errno == EACCES)) return -1;
  if (nameLeadsTo(directoryFd, name, fd)) return 0;
  errno = ENOENT;
  return -1;
}

int removeAbandonedTemporaryFile(int directoryFd, const char* name) {
  // Only a regular file is opened: a device, FIFO or socket under the name is never touched.
  struct stat listed;
  if (::fstatat(directoryFd, name, &listed, AT_SYMLINK_NOFOLLOW) != 0) return -1;
  if (!S_ISREG(listed.st_mode)) {
    errno = EEXIST;
    return -1;
  }
  const int fd =
      ::openat(directoryFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat opened;
  int result = -1;
  if (::fstat(fd, &opened) == 0 && opened.st_dev == listed.st_dev &&
      opened.st_ino == listed.st_ino) {
    result = removeIfUnlocked(directoryFd, name, fd);
  } else {
    errno = ENOENT;  // another file took the name in the meantime: it is judged next time
  }
  const int error = errno;
  ::close(fd);
  errno = error;
  return result;
}

}  // namespace disk
