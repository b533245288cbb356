// The receiver's file system as the plug-in sees it. The plug-in names fixed receiver paths
// ("/hdd/movie"); the host maps them under a root directory: "/" on a receiver, a directory of
// the stand-in's choosing elsewhere. Every file the plug-in touches is reached through here.
//
// Errors follow one rule: a call that fails returns -1 (or an empty result) and leaves errno.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// Sets the directory that stands for the receiver's "/"; "/" until set.
void setReceiverRoot(std::filesystem::path root);
const std::filesystem::path& receiverRoot();

// The path on this machine of an absolute receiver path.
std::string hostPath(std::string_view receiverPath);

// Reads up to `buffer.size()` bytes of the receiver file `receiverPath` in one read call.
// Returns the count read, or -1 when the file cannot be opened or read.
ssize_t readFileStart(std::string_view receiverPath, std::span<std::byte> buffer);

// One entry of a directory listing, in listing order.
struct DirectoryEntry {
  std::string name;
  unsigned char type;  // DT_* from the listing; DT_UNKNOWN where the file system gives none
};

// An open directory of the receiver. The calls below are relative to it, so that a pass
// over many entries walks no paths. Move-only; closes itself.
class Directory {
 public:
  // Opens `receiverPath`; check isOpen(), errno tells why not.
  explicit Directory(std::string_view receiverPath);
  Directory(Directory&& other) noexcept;
  Directory& operator=(Directory&& other) noexcept;
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;
  ~Directory();

  bool isOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  const std::string& receiverPath() const { return receiverPath_; }

  // Every entry but "." and "..", in the order the listing yields them. Returns false, with
  // errno set, when the listing fails part-way.
  bool list(std::vector<DirectoryEntry>& entries) const;
  // The same pass without keeping the entries: `visit` sees each name (NUL-terminated) and
  // type in turn; the name lives only until `visit` returns.
  bool forEachEntry(const std::function<void(std::string_view, unsigned char)>& visit) const;

  // Status of `name`, following a symbolic link or not.
  int status(const char* name, struct stat& result, bool followLinks) const;
  // Opens `name` read-only and reads up to `buffer.size()` bytes in one call; -1 on failure.
  ssize_t readStart(const char* name, std::span<std::byte> buffer) const;

 private:
  int fd_ = -1;
  std::string receiverPath_;
};

}  // namespace host
