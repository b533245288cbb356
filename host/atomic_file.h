// Replacing a file so that readers see either the old contents or the new, never a mix, and a
// power cut leaves one of the two. The calling sequence is that of a lock file:
//
//   AtomicFile file(path);              // temporary file beside the target
//   if (!file.isOpen()) ...             // errno says why; nothing was touched
//   fprintf(file.stream(), ...);        // buffered writes
//   if (file.commit() != 0) ...         // flush, sync, close, rename; errno says why
//
// A failed commit, or an AtomicFile destroyed without commit, removes the temporary file and
// leaves the target byte for byte as it was. Rolling back twice is harmless. When the target
// is a symbolic link, the file it finally leads to is replaced and the links are kept.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

namespace host {

class AtomicFile {
 public:
  // `path` is a path on this machine.
  explicit AtomicFile(std::filesystem::path path);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  bool isOpen() const { return stream_ != nullptr; }
  std::FILE* stream() const { return stream_; }
  // The file that commit() replaces: `path`, or the target its links lead to.
  const std::filesystem::path& target() const { return target_; }

  // Makes the written contents the target's: 0 on success; -1 with errno on any failure,
  // after which the temporary file is gone and the target unchanged.
  int commit();
  // Abandons the replacement; the target stays as it was.
  void rollback();

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::FILE* stream_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // one large buffer, so a list is written in few calls
};

}  // namespace host
