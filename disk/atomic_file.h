// Replacing a file so that readers see either the old contents or the new, never a mix, and a
// power cut leaves one of the two. The calling sequence is that of a lock file:
//
//   AtomicFile file(root, path);        // temporary file beside the target
//   if (!file.isOpen()) ...             // errno says why; nothing was touched
//   fprintf(file.stream(), ...);        // buffered writes
//   if (file.commit() != 0) ...         // flush, sync, rename, sync the directory
//
// The target is `path` resolved in `root` (receiver_fs.h): its links are followed inside the
// root and kept, and only a regular file is replaced, or created where there is none. The
// temporary file is created beside the target, relative to its directory's descriptor, and
// renamed over it there: no path is walked again between the two.
//
// A failed commit, or an AtomicFile destroyed without commit, removes the temporary file and
// leaves the target byte for byte as it was. Rolling back twice is harmless.
//
// The new file keeps the target's permission bits, its owner and group where the process may
// set them, its access ACL and the other extended attributes the process may read and set
// (extended_attributes.h). A target the process may not write (for root: an immutable one) is
// left alone: the file does not open (errno EACCES, EPERM or EROFS), as writing it in place
// would fail. A target the process may write in a folder it may not write cannot be replaced
// either, though writing it in place would succeed: the replacement is a new file in that
// folder.
//
// The temporary file is locked from its creation until its rename (temporary_lock.h), and held
// where an ending signal removes it (temporary_files.h). What a kill or a power cut leaves is
// removed later: a uniquely named temporary file by whoever lists its directory anyway (the
// rebuild does; isTemporaryName tells the names), the fixed name by the next write. Their names
// carry a mark that no person or other program would choose, so that nothing else is removed.
//
// Every failure is recorded (file_failure.h) with the path as the caller named it.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "disk/extended_attributes.h"
#include "disk/receiver_fs.h"

namespace disk {

class AtomicFile {
 public:
  // How the temporary file is named: uniquely, so that writers never meet; or by a fixed name,
  // for a file whose directory nobody lists, so that the next write finds what a crash left
  // there (and fails while another writer holds it, errno EEXIST).
  enum class TemporaryName { Unique, Fixed };

  AtomicFile(const FileRoot& root, std::string_view path,
             TemporaryName naming = TemporaryName::Unique);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  bool isOpen() const { return stream_ != nullptr; }
  std::FILE* stream() const { return stream_; }
  // The directory and name that commit() replaces: `path`, or the file its links lead to.
  const FileSlot& target() const { return target_; }
  // The path as the caller named it.
  const std::string& path() const { return path_; }

  // Makes the written contents the target's: 0 on success; -1 with errno on any failure,
  // after which the temporary file is gone and the target unchanged.
  int commit();
  // Abandons the replacement; the target stays as it was.
  void rollback();

  // Whether `name` is one of the unique temporary names for a target named `targetName`.
  static bool isTemporaryName(std::string_view name, std::string_view targetName);
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

}  // namespace disk
