// Replacing a file so that readers see either the old contents or the new, never a mix, and a
// power cut leaves one of the two. The calling sequence is that of a lock file:
//
//   AtomicFile file(root, path);        // temporary file beside the target
//   if (!file.isOpen()) ...             // errno says why; nothing was touched
//   fprintf(file.stream(), ...);        // buffered writes
//   if (file.commit() != 0) ...         // flush, sync, close, rename; errno says why
//
// The target is `path` resolved in `root` (receiver_fs.h): its links are followed inside the
// root and kept, and only a regular file is replaced, or created where there is none. The
// temporary file is created beside the target, relative to its directory's descriptor, and
// renamed over it there: no path is walked again between the two.
//
// A failed commit, or an AtomicFile destroyed without commit, removes the temporary file and
// leaves the target byte for byte as it was. Rolling back twice is harmless.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "host/receiver_fs.h"

namespace host {

class AtomicFile {
 public:
  AtomicFile(const FileRoot& root, std::string_view path);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  bool isOpen() const { return stream_ != nullptr; }
  std::FILE* stream() const { return stream_; }
  // The directory and name that commit() replaces: `path`, or the file its links lead to.
  const FileSlot& target() const { return target_; }

  // Makes the written contents the target's: 0 on success; -1 with errno on any failure,
  // after which the temporary file is gone and the target unchanged.
  int commit();
  // Abandons the replacement; the target stays as it was.
  void rollback();

 private:
  bool open(const FileRoot& root, std::string_view path);
  bool acquireBuffer();
  bool createTemporary();
  bool applyMode();
  bool openStream();
  bool flushAndClose();
  bool renameOverTarget();

  FileSlot target_;
  std::string temporary_;  // the temporary file's name in the target's directory, while it exists
  int temporaryFd_ = -1;   // until the stream owns it
  std::FILE* stream_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // one large buffer, so a list is written in few calls
};

}  // namespace host
