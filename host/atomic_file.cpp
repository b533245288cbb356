#include "host/atomic_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

namespace host {
namespace {

constexpr std::size_t kBufferSize = 1 << 17;
constexpr int kTemporaryAttempts = 64;

// Six letters or digits that no other writer is likely to pick at the same time; an
// exclusive create settles any clash.
std::string randomSuffix() {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(::getpid()) << 32);
  }
  constexpr std::string_view kLetters =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix(6, ' ');
  for (char& letter : suffix) {
    letter = kLetters[bits % kLetters.size()];
    bits /= kLetters.size();
  }
  return suffix;
}

// ".NAME.XXXXXX": hidden, beside the target, and recognisably its temporary file.
std::string temporaryName(std::string_view target) {
  std::string name = ".";
  return name.append(target).append(".").append(randomSuffix());
}

// The mode a new file gets from this process.
mode_t newFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Syncs the directory so that the rename itself survives a power cut.
void syncDirectory(int directoryFd) {
  int fd = ::openat(directoryFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

AtomicFile::AtomicFile(const FileRoot& root, std::string_view path) {
  try {
    if (!open(root, path)) rollback();
  } catch (...) {
    rollback();  // the destructor of an object never constructed does not run
    throw;
  }
}

AtomicFile::~AtomicFile() {
  rollback();
}

bool AtomicFile::open(const FileRoot& root, std::string_view path) {
  return acquireBuffer() && locateFileSlot(root, path, target_) && createTemporary() &&
         applyMode() && openStream();
}

// The buffer comes before the file, so that running out of memory leaves nothing behind.
bool AtomicFile::acquireBuffer() {
  buffer_.reset(new (std::nothrow) char[kBufferSize]);
  if (buffer_ == nullptr) errno = ENOMEM;
  return buffer_ != nullptr;
}

bool AtomicFile::createTemporary() {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    std::string name = temporaryName(target_.name);
    int fd = ::openat(target_.directory.get(), name.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      temporary_ = std::move(name);
      temporaryFd_ = fd;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// The new file keeps the permission bits of the one it replaces.
bool AtomicFile::applyMode() {
  mode_t mode = target_.exists ? target_.status.st_mode & 07777 : newFileMode();
  return ::fchmod(temporaryFd_, mode) == 0;
}

bool AtomicFile::openStream() {
  stream_ = ::fdopen(temporaryFd_, "w");
  if (stream_ == nullptr) return false;
  temporaryFd_ = -1;
  std::setvbuf(stream_, buffer_.get(), _IOFBF, kBufferSize);
  return true;
}

int AtomicFile::commit() {
  if (stream_ == nullptr) {
    errno = EBADF;
    return -1;
  }
  if (!flushAndClose() || !renameOverTarget()) {
    rollback();
    return -1;
  }
  temporary_.clear();
  // The new contents are in place now; syncing the directory only makes the rename durable
  // sooner, so its failure does not undo the success.
  syncDirectory(target_.directory.get());
  return 0;
}

// Every buffered write, the sync and the close checked; false with errno at the first failure.
bool AtomicFile::flushAndClose() {
  errno = 0;
  bool written =
      std::fflush(stream_) == 0 && !std::ferror(stream_) && ::fsync(::fileno(stream_)) == 0;
  if (!written && errno == 0) errno = EIO;  // an earlier buffered write failed
  int error = errno;
  int closed = std::fclose(stream_);
  stream_ = nullptr;
  if (written && closed != 0) return false;
  errno = error;
  return written;
}

bool AtomicFile::renameOverTarget() {
  int directory = target_.directory.get();
  return ::renameat(directory, temporary_.c_str(), directory, target_.name.c_str()) == 0;
}

void AtomicFile::rollback() {
  int error = errno;
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (temporaryFd_ >= 0) {
    ::close(temporaryFd_);
    temporaryFd_ = -1;
  }
  if (!temporary_.empty()) {
    ::unlinkat(target_.directory.get(), temporary_.c_str(), 0);
    temporary_.clear();
  }
  errno = error;
}

}  // namespace host
