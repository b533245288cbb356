#include "host/receiver_fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace host {
namespace {

std::filesystem::path& root() {
  static std::filesystem::path path = "/";
  return path;
}

// Opening a FIFO for reading would wait for a writer that may never come; the flag makes the
// open return at once, and changes nothing for a regular file.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

// Reads once from `fd` and closes it, keeping the read's errno.
ssize_t readOnceAndClose(int fd, std::span<std::byte> buffer) {
  if (fd < 0) return -1;
  ssize_t count = ::read(fd, buffer.data(), buffer.size());
  int readError = errno;
  ::close(fd);
  errno = readError;
  return count;
}

}  // namespace

void setReceiverRoot(std::filesystem::path rootDirectory) {
  root() = std::move(rootDirectory);
}

const std::filesystem::path& receiverRoot() {
  return root();
}

std::string hostPath(std::string_view receiverPath) {
  std::string path = root().string();
  while (!path.empty() && path.back() == '/') path.pop_back();
  if (receiverPath.empty() || receiverPath.front() != '/') path += '/';
  path += receiverPath;
  return path;
}

ssize_t readFileStart(std::string_view receiverPath, std::span<std::byte> buffer) {
  return readOnceAndClose(::open(hostPath(receiverPath).c_str(), kReadFlags), buffer);
}

Directory::Directory(std::string_view receiverPath)
    : fd_(::open(hostPath(receiverPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      receiverPath_(receiverPath) {}

Directory::Directory(Directory&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), receiverPath_(std::move(other.receiverPath_)) {}

Directory& Directory::operator=(Directory&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    receiverPath_ = std::move(other.receiverPath_);
  }
  return *this;
}

Directory::~Directory() {
  if (fd_ >= 0) ::close(fd_);
}

bool Directory::list(std::vector<DirectoryEntry>& entries) const {
  return forEachEntry([&entries](std::string_view name, unsigned char type) {
    entries.push_back({std::string(name), type});
  });
}

bool Directory::forEachEntry(
    const std::function<void(std::string_view, unsigned char)>& visit) const {
  // The listing gets a descriptor of its own, so that this one stays usable for the *at calls.
  int listingFd = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listingFd < 0) return false;
  DIR* listing = ::fdopendir(listingFd);
  if (listing == nullptr) {
    int openError = errno;
    ::close(listingFd);
    errno = openError;
    return false;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(listing)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) visit(name, entry->d_type);
    errno = 0;
  }
  int listingError = errno;
  ::closedir(listing);
  errno = listingError;
  return listingError == 0;
}

int Directory::status(const char* name, struct stat& result, bool followLinks) const {
  return ::fstatat(fd_, name, &result, followLinks ? 0 : AT_SYMLINK_NOFOLLOW);
}

ssize_t Directory::readStart(const char* name, std::span<std::byte> buffer) const {
  return readOnceAndClose(::openat(fd_, name, kReadFlags), buffer);
}

}  // namespace host
