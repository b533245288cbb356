// Replacing a file, so that readers see either the old contents or the new, never a mix, and a
// power cut leaves one of the two; and the whole life of the temporary file that does it: its
// name, its lock, its removal when a signal ends the process, and the sweep of what a crash left.
//
// The calling sequence is that of a lock file:
//
//   ReplacedFile file(root, path);      // temporary file beside the target
//   if (!file.isOpen()) ...             // errno says why; nothing was touched
//   fprintf(file.stream(), ...);        // buffered writes
//   if (file.commit() != 0) ...         // flush, sync, rename, sync the directory
//
// The target is `path` resolved in `root` (receiver_fs.h): its links are followed inside the
// root and kept, and only a regular file is replaced, or created where there is none. The
// temporary file is created beside the target, relative to its directory's descriptor, and
// renamed over it there: no path is walked again between the two.
//
// A failed commit, or a ReplacedFile destroyed without commit, removes the temporary file and
// leaves the target byte for byte as it was. Rolling back twice is harmless. Every failure is
// recorded (file_failure.h) with the path as the caller named it.
//
// The new file keeps the target's permission bits, its owner and group where the process may
// set them, its access ACL and the other extended attributes the process may read and set
// (extended_attributes.h). A target the process may not write (for root: an immutable one) is
// left alone: the file does not open (errno EACCES, EPERM or EROFS), as writing it in place
// would fail. A target the process may write in a folder it may not write cannot be replaced
// either, though writing it in place would succeed: the replacement is a new file in that
// folder.
//
// The life of the temporary file:
//
// - Its name is ".NAME.~quillon~" after the target's NAME, and then, for a unique name, eight
//   letters or digits. The mark is one no person or other program would choose, so that a
//   clean-up removes nothing else. A unique name is for a file whose directory is listed
//   anyway, so that writers never meet; the fixed name for a file whose directory nobody lists.
// - It is locked from its creation until its rename, with an open-file-description lock
//   (F_OFD_SETLK), which the kernel drops however the process ends and a power cut drops too:
//   a temporary file whose lock can be taken has no writer, and may go. On ext2/3/4 and vfat
//   the locks live in the one kernel that mounts the disk. NFS passes them to the server (NLM
//   for versions 2 and 3, the protocol's own locks for version 4), so a receiver and a desktop
//   that share the disk see each other's, and the server frees a crashed client's once its
//   lease runs out. Only an NFS mount with "nolock" (or "local_lock") keeps them on each
//   machine: there a rebuild on one may remove the other's temporary file, whose rename then
//   fails and whose rebuild reports it; the list stays whole either way.
// - While it is written it is held in a fixed table that a handler of an ending signal empties
//   with async-signal-safe calls only (removeTemporaryFiles; the program registers it with
//   its signal handling before anything is written).
// - What a kill or a power cut leaves is swept later: under the fixed name by the next write,
//   which fails while another writer holds it (errno EEXIST); under a unique name by whoever
//   lists the directory anyway (the rebuild does), through a TemporarySweep.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "disk/extended_attributes.h"
#include "disk/receiver_fs.h"

namespace disk {

class ReplacedFile {
 public:
  // How the temporary file is named (see above).
  enum class TemporaryName { Unique, Fixed };

  ReplacedFile(const FileRoot& root, std::string_view path,
               TemporaryName naming = TemporaryName::Unique);
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;
  ~ReplacedFile();

  bool isOpen() const { return stream_ != nullptr; }
  std::FILE* stream() const { return stream_; }
  // The path as the caller named it.
  const std::string& path() const { return path_; }

  // Makes the written contents the target's: 0 on success; -1 with errno on any failure,
  // after which the temporary file is gone and the target unchanged.
  int commit();
  // Abandons the replacement; the target stays as it was.
  void rollback();

  // The fixed temporary name for a target named `targetName`.
  static std::string fixedTemporaryName(std::string_view targetName);

 private:
  bool open(TemporaryName naming);
  bool acquireBuffer();
  bool locateTarget();
  bool targetIsWritable();
  bool createTemporary(TemporaryName naming);
  bool makeTemporary(TemporaryName naming);
  bool createAndLock(std::string name);
  bool applyOwnerAndMode();
  bool openStream();
  bool flushAndSync();
  bool renameOverTarget();
  // Records that `operation` failed with errno; false.
  bool failed(std::string_view operation) const;

  const FileRoot& root_;
  std::string path_;
  FileSlot target_;
  ExtendedAttributes attributes_;  // the target's, for the new file
  std::string temporary_;  // the temporary file's name in the target's directory, while it exists
  int temporaryFd_ = -1;   // until the stream owns it
  int heldSlot_ = -1;      // where an ending signal finds the temporary file; -1 when it does not
  std::FILE* stream_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // one large buffer, so a list is written in few calls
};

// The sweep of what a crash left under the unique temporary names of one target: the listing
// of its directory hands every name it sees to notice(), and once it is done, removeAbandoned()
// removes those that no writer holds.
class TemporarySweep {
 public:
  explicit TemporarySweep(std::string_view targetName);

  // Whether `name` is one of the target's unique temporary names; if so, it is kept for the
  // sweep.
  bool notice(std::string_view name);
  // Removes, from `directory`, each noticed temporary file that is abandoned.
  void removeAbandoned(const Directory& directory) const;

 private:
  std::string marked_;              // the temporary names' start
  std::vector<std::string> names_;  // the noticed ones
};

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

inline constexpr int kMaxTemporaryFiles = 8;

// Records the temporary file `name` (one path component) in the open directory `directoryFd`
// while it is written. Returns its slot, or -1 when the table is full or the name too long:
// such a file is then left to the sweep, as after a kill.
int holdTemporaryFile(int directoryFd, const char* name) noexcept;
// Forgets the slot: the file has been renamed or removed. -1 is ignored.
void releaseTemporaryFile(int slot) noexcept;
// Removes every temporary file held now. Async-signal-safe: it calls unlinkat only.
void removeTemporaryFiles() noexcept;

}  // namespace disk
