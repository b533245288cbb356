#include "disk/replaced_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "disk/file_failure.h"

namespace disk {
namespace {

constexpr std::size_t kBufferSize = 1 << 17;
constexpr int kTemporaryAttempts = 64;
// What marks a temporary file, after a dot and the target's name: no person or other program
// names a file so, and a clean-up removes nothing else. (Earlier versions ended the name in six
// letters or digits alone, as a user's ".recordings.epl.backup" does; those are not ours to
// judge, and stay.)
constexpr std::string_view kMark = "~quillon~";
// A unique name ends in eight of these after the mark.
constexpr std::string_view kSuffixLetters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kSuffixLength = 8;

// Eight letters or digits that no other writer is likely to pick at the same time; an
// exclusive create settles any clash.
std::string randomSuffix() {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(::getpid()) << 32);
  }
  std::string suffix(kSuffixLength, ' ');
  for (char& letter : suffix) {
    letter = kSuffixLetters[bits % kSuffixLetters.size()];
    bits /= kSuffixLetters.size();
  }
  return suffix;
}

// ".NAME.~quillon~": hidden, beside the target, and unmistakably its temporary file.
std::string markedName(std::string_view target) {
  std::string name = ".";
  return name.append(target).append(".").append(kMark);
}

// ".NAME.~quillon~XXXXXXXX": one of many.
std::string uniqueName(std::string_view target) {
  return markedName(target).append(randomSuffix());
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

// Takes the lock of the whole file `fd` without waiting: a write lock for the writer, a read
// lock for the sweep (which may not be allowed to open the file for writing); the two
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

// The table of temporary files being written, which a signal handler reads: filled and
// emptied without allocating.
enum class SlotState { Free, Filling, Held };

struct Slot {
  std::atomic<SlotState> state{SlotState::Free};
  int directoryFd = -1;
  char name[NAME_MAX + 1] = {};
};
static_assert(std::atomic<SlotState>::is_always_lock_free);

std::array<Slot, kMaxTemporaryFiles> slots;

}  // namespace

ReplacedFile::ReplacedFile(const FileRoot& root, std::string_view path, TemporaryName naming)
    : root_(root), path_(path) {
  try {
    if (!open(naming)) rollback();
  } catch (...) {
    rollback();  // the destructor of an object never constructed does not run
    throw;
  }
}

ReplacedFile::~ReplacedFile() {
  rollback();
}

bool ReplacedFile::open(TemporaryName naming) {
  if (!acquireBuffer() || !locateTarget() || !targetIsWritable()) return false;
  if (target_.exists)
    attributes_.readFrom(target_.directory.get(), target_.name.c_str(), target_.status);
  return createTemporary(naming) && applyOwnerAndMode() && openStream();
}

bool ReplacedFile::failed(std::string_view operation) const {
  recordFileFailure(root_, path_, operation, errno);
  return false;
}

// The buffer comes before the file, so that running out of memory leaves nothing behind.
bool ReplacedFile::acquireBuffer() {
  buffer_.reset(new (std::nothrow) char[kBufferSize]);
  if (buffer_ != nullptr) return true;
  errno = ENOMEM;
  return failed("cannot be replaced");
}

bool ReplacedFile::locateTarget() {
  if (locateFileSlot(root_, path_, target_)) return true;
  if (errno == EINVAL) {
    recordFileFailure(root_, path_, "is no regular file, and is left as it is", 0);
    return false;
  }
  return failed("cannot be replaced");
}

// A target the process may not write is left alone, as writing it in place would fail. The
// kernel judges with the effective ids, as it would for that write: for root, only an
// immutable file (or a read-only file system) refuses.
bool ReplacedFile::targetIsWritable() {
  if (!target_.exists ||
      ::faccessat(target_.directory.get(), target_.name.c_str(), W_OK, AT_EACCESS) == 0) {
    return true;
  }
  return failed("may not be written");
}

bool ReplacedFile::createTemporary(TemporaryName naming) {
  if (makeTemporary(naming)) return true;
  if (naming == TemporaryName::Fixed && errno == EEXIST) {
    recordFileFailure(root_, path_, "is being replaced by another writer", 0);
    return false;
  }
  if (target_.exists && (errno == EACCES || errno == EPERM)) {
    return failed(
        "cannot be replaced: its folder may not be written, and the replacement is a new file "
        "there (writing the file in place would have succeeded)");
  }
  return failed("cannot be replaced: no new file can be made in its folder");
}

bool ReplacedFile::makeTemporary(TemporaryName naming) {
  const int directory = target_.directory.get();
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    if (naming == TemporaryName::Unique) {
      if (createAndLock(uniqueName(target_.name))) return true;
      if (errno != EEXIST && errno != ENOENT) return false;
    } else {
      // What a crash left under the fixed name goes; another writer's stays, and this fails.
      std::string name = fixedTemporaryName(target_.name);
      removeAbandonedTemporaryFile(directory, name.c_str());
      if (createAndLock(std::move(name))) return true;
      if (errno != ENOENT) return false;
    }
  }
  errno = EEXIST;
  return false;
}

// Creates `name` and locks it. False with EEXIST when the name is taken, with ENOENT when a
// clean-up removed the new file before it was locked: then another is made.
bool ReplacedFile::createAndLock(std::string name) {
  const int directory = target_.directory.get();
  const int fd =
      ::openat(directory, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (lockTemporaryFile(directory, name.c_str(), fd) != 0) {
    ::close(fd);
    errno = ENOENT;
    return false;
  }
  temporary_ = std::move(name);
  temporaryFd_ = fd;
  heldSlot_ = holdTemporaryFile(directory, temporary_.c_str());
  return true;
}

// The new file keeps what the owner chose for the one it replaces: its owner and group where
// the process may set them (else the group alone, else neither), then its permission bits,
// since a change of owner clears the set-id bits.
bool ReplacedFile::applyOwnerAndMode() {
  constexpr std::string_view kFailure = "cannot be replaced: its owner and access cannot be kept";
  if (!target_.exists) return ::fchmod(temporaryFd_, newFileMode()) == 0 || failed(kFailure);
  const struct stat& old = target_.status;
  if (::fchown(temporaryFd_, old.st_uid, old.st_gid) != 0) {
    if (errno != EPERM) return failed(kFailure);
    if (::fchown(temporaryFd_, static_cast<uid_t>(-1), old.st_gid) != 0 && errno != EPERM)
      return failed(kFailure);
  }
  const mode_t mode = old.st_mode & 07777;
  // The ACL comes after the permission bits, which would rewrite its mask.
  return (::fchmod(temporaryFd_, mode) == 0 && attributes_.applyTo(temporaryFd_, mode)) ||
         failed(kFailure);
}

bool ReplacedFile::openStream() {
  stream_ = ::fdopen(temporaryFd_, "w");
  if (stream_ == nullptr) return failed("cannot be written");
  temporaryFd_ = -1;
  std::setvbuf(stream_, buffer_.get(), _IOFBF, kBufferSize);
  return true;
}

int ReplacedFile::commit() {
  if (stream_ == nullptr) {
    errno = EBADF;
    return -1;
  }
  if (!flushAndSync() || !renameOverTarget()) {
    rollback();
    return -1;
  }
  temporary_.clear();
  // Closed only now, so that its lock kept any clean-up away until the rename. Everything was
  // flushed and synced: the close has nothing left to write or to fail at.
  std::fclose(stream_);
  stream_ = nullptr;
  // The new contents are in place now; syncing the directory only makes the rename durable
  // sooner, so its failure does not undo the success.
  syncDirectory(target_.directory.get());
  return 0;
}

// Every buffered write and the sync checked; false with errno at the first failure.
bool ReplacedFile::flushAndSync() {
  errno = 0;
  bool written =
      std::fflush(stream_) == 0 && !std::ferror(stream_) && ::fsync(::fileno(stream_)) == 0;
  if (written) return true;
  if (errno == 0) errno = EIO;  // an earlier buffered write failed
  return failed("cannot be written");
}

bool ReplacedFile::renameOverTarget() {
  // The name becomes the target's: from here an ending signal must not remove it. A signal
  // in the moment before the rename leaves the file to the next clean-up, as a kill would.
  releaseTemporaryFile(heldSlot_);
  heldSlot_ = -1;
  int directory = target_.directory.get();
  return ::renameat(directory, temporary_.c_str(), directory, target_.name.c_str()) == 0 ||
         failed("cannot be replaced: the new file cannot take its name");
}

void ReplacedFile::rollback() {
  const ErrnoGuard keep;
  releaseTemporaryFile(heldSlot_);
  heldSlot_ = -1;
  if (!temporary_.empty()) {
    ::unlinkat(target_.directory.get(), temporary_.c_str(), 0);
    temporary_.clear();
  }
  // Closed after the removal, so that the lock held the name to the end.
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (temporaryFd_ >= 0) {
    ::close(temporaryFd_);
    temporaryFd_ = -1;
  }
}

std::string ReplacedFile::fixedTemporaryName(std::string_view targetName) {
  return markedName(targetName);
}

TemporarySweep::TemporarySweep(std::string_view targetName) : marked_(markedName(targetName)) {}

bool TemporarySweep::notice(std::string_view name) {
  if (name.size() != marked_.size() + kSuffixLength || !name.starts_with(marked_) ||
      name.substr(marked_.size()).find_first_not_of(kSuffixLetters) != std::string_view::npos) {
    return false;
  }
  names_.emplace_back(name);
  return true;
}

void TemporarySweep::removeAbandoned(const Directory& directory) const {
  for (const std::string& name : names_) removeAbandonedTemporaryFile(directory.fd(), name.c_str());
}

int lockTemporaryFile(int directoryFd, const char* name, int fd) {
  // A sweep holds it, and is removing it. A file system without locks (ENOLCK, EINVAL) gets
  // its files written unlocked: no sweep can lock them either, so none removes them.
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
  const FileDescriptor fd(
      ::openat(directoryFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.isOpen()) return -1;
  struct stat opened;
  if (::fstat(fd.get(), &opened) == 0 && opened.st_dev == listed.st_dev &&
      opened.st_ino == listed.st_ino) {
    return removeIfUnlocked(directoryFd, name, fd.get());
  }
  errno = ENOENT;  // another file took the name in the meantime: it is judged next time
  return -1;
}

int holdTemporaryFile(int directoryFd, const char* name) noexcept {
  const std::size_t length = std::strlen(name);
  if (length > NAME_MAX) return -1;
  for (std::size_t index = 0; index < slots.size(); ++index) {
    Slot& slot = slots[index];
    SlotState free = SlotState::Free;
    if (!slot.state.compare_exchange_strong(free, SlotState::Filling)) continue;
    slot.directoryFd = directoryFd;
    std::memcpy(slot.name, name, length + 1);
    // A handler sees the slot only once it is whole.
    slot.state.store(SlotState::Held, std::memory_order_release);
    return static_cast<int>(index);
  }
  return -1;
}

void releaseTemporaryFile(int slot) noexcept {
  if (slot < 0 || slot >= kMaxTemporaryFiles) return;
  slots[static_cast<std::size_t>(slot)].state.store(SlotState::Free, std::memory_order_release);
}

void removeTemporaryFiles() noexcept {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == SlotState::Held)
      ::unlinkat(slot.directoryFd, slot.name, 0);
  }
}

}  // namespace disk
