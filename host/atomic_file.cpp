#include "host/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace host {
namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own limit on a path's links
constexpr std::size_t kBufferSize = 1 << 17;

// The file that writing to `path` would reach: `path` itself, or the end of its links.
// A link's relative target is taken from the link's directory, as the kernel does.
std::filesystem::path finalTarget(std::filesystem::path path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) return path;
    std::filesystem::path link = std::filesystem::read_symlink(path, error);
    if (error) return path;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;  // a loop: the rename below reports what the kernel thinks of it
}

// The mode a new file would get, or the target's own when it exists.
mode_t modeFor(const std::filesystem::path& target) {
  struct stat status;
  if (::stat(target.c_str(), &status) == 0) return status.st_mode & 07777;
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Syncs the directory so that the rename itself survives a power cut.
void syncDirectory(const std::filesystem::path& directory) {
  int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path path) : target_(finalTarget(std::move(path))) {
  std::string hiddenName = ".";
  hiddenName.append(target_.filename().string()).append(".XXXXXX");
  std::string pattern = (target_.parent_path() / hiddenName).string();
  int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return;
  temporary_ = pattern;
  if (::fchmod(fd, modeFor(target_)) != 0 || (stream_ = ::fdopen(fd, "w")) == nullptr) {
    int error = errno;
    ::close(fd);
    rollback();
    errno = error;
    return;
  }
  buffer_ = std::make_unique<char[]>(kBufferSize);
  std::setvbuf(stream_, buffer_.get(), _IOFBF, kBufferSize);
}

AtomicFile::~AtomicFile() {
  rollback();
}

int AtomicFile::commit() {
  if (stream_ == nullptr) {
    errno = EBADF;
    return -1;
  }
  errno = 0;
  bool written =
      std::fflush(stream_) == 0 && !std::ferror(stream_) && ::fsync(::fileno(stream_)) == 0;
  if (!written && errno == 0) errno = EIO;  // an earlier buffered write failed
  int error = errno;
  int closed = std::fclose(stream_);
  stream_ = nullptr;
  if (written && closed != 0) {
    written = false;
    error = errno;
  }
  if (written && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    rollback();
    errno = error;
    return -1;
  }
  temporary_.clear();
  // The new contents are in place now; syncing the directory only makes the rename durable
  // sooner, so its failure does not undo the success.
  syncDirectory(target_.parent_path());
  return 0;
}

void AtomicFile::rollback() {
  int error = errno;
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  errno = error;
}

}  // namespace host
