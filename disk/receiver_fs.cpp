#include "disk/receiver_fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace disk {
namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own limit on a path's links

// Opening a FIFO for reading would wait for a writer that may never come; the flag makes the
// open return at once, and changes nothing for a regular file.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
// A descriptor that names a file without opening it: no device driver, FIFO or lock sees it.
constexpr int kPathFlags = O_PATH | O_NOFOLLOW | O_CLOEXEC;

std::unique_ptr<FileRoot>& receiverRootSlot() {
  static std::unique_ptr<FileRoot> root = std::make_unique<FileRoot>("/");
  return root;
}

// The one resolver of paths in a root, for reads and writes alike. It resolves one component
// at a time, as the kernel would with the root as "/": each directory is held open on the way,
// so ".." goes back along the path taken and stops at the root, and a link's target is resolved
// from the link's directory (from the root when it is absolute). Every component but the last
// must be a directory, or a link to one; the last is followed while it is a link. In a root
// mounted below "/", the walk starts at that "/", which holds the mount point alone (the
// kernel's own resolution in a root, openat2 with RESOLVE_IN_ROOT, cannot mount a root there).
// A rebuild walks the movie directory once and each recording that is a link: on the whole-root
// shape it stays within its budget (`./dev bench`: rebuild <= 1.15x its floor at 100,000
// recordings, measured 1.10 with the walk alone).
class PathWalk {
 public:
  PathWalk(const FileRoot& root, std::string_view path) : root_(root) { pushComponents(path); }

  // false with errno when a component cannot be resolved; a last component that does not
  // exist is no failure (exists() is false).
  bool run() {
    if (!root_.isOpen()) {
      errno = EBADF;
      return false;
    }
    while (!pending_.empty()) {
      std::string component = std::move(pending_.back());
      pending_.pop_back();
      if (!step(std::move(component), pending_.empty())) return false;
      if (!name_.empty()) return true;
    }
    return endAtDirectory();
  }

  int directory() const { return directories_.empty() ? root_.fd() : directories_.back().get(); }
  // The last component's name in directory(); "." when the path ends in a directory.
  const std::string& name() const { return name_; }
  bool exists() const { return object_.isOpen(); }
  const struct stat& status() const { return status_; }
  // An O_PATH descriptor of the last component, when it exists.
  FileDescriptor takeObject() { return std::move(object_); }
  // A descriptor of directory() that outlives the walk.
  FileDescriptor takeDirectory() {
    if (!directories_.empty()) return std::move(directories_.back());
    return FileDescriptor(::fcntl(root_.fd(), F_DUPFD_CLOEXEC, 0));
  }
  // directory() as a path on this machine.
  std::filesystem::path directoryOnMachine() const {
    std::filesystem::path path = root_.directory();
    for (const std::string& name : names_) {
      if (!name.empty()) path /= name;
    }
    return path;
  }

 private:
  // Puts the components of `path` before those still pending.
  void pushComponents(std::string_view path) {
    std::vector<std::string> components;
    while (!path.empty()) {
      std::size_t slash = path.find('/');
      std::string_view component = path.substr(0, slash);
      if (!component.empty() && component != ".") components.emplace_back(component);
      path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
    }
    pending_.insert(pending_.end(), std::make_move_iterator(components.rbegin()),
                    std::make_move_iterator(components.rend()));
  }

  // In a mounted root, whether the walk stands in the "/" above it.
  bool aboveMount() const { return !root_.mountPoint().empty() && directories_.empty(); }

  bool step(std::string component, bool last) {
    if (component == "..") {
      if (!directories_.empty()) leave();
      return !last || endAtDirectory();
    }
    if (aboveMount()) return enterMount(component, last);
    FileDescriptor object(::openat(directory(), component.c_str(), kPathFlags));
    if (!object.isOpen()) {
      if (!last || errno != ENOENT) return false;
      name_ = std::move(component);  // a file to be created
      return true;
    }
    struct stat status;
    if (::fstat(object.get(), &status) != 0) return false;
    if (S_ISLNK(status.st_mode)) return follow(object);
    if (last) return end(std::move(component), std::move(object), status);
    if (!S_ISDIR(status.st_mode)) {
      errno = ENOTDIR;
      return false;
    }
    directories_.push_back(std::move(object));
    names_.push_back(std::move(component));
    return true;
  }

  // The mount point leads to the root's directory; nothing else is there.
  bool enterMount(const std::string& component, bool last) {
    if (component != root_.mountPoint()) {
      errno = ENOENT;
      return false;
    }
    FileDescriptor mounted(::fcntl(root_.fd(), F_DUPFD_CLOEXEC, 0));
    if (!mounted.isOpen()) return false;
    directories_.push_back(std::move(mounted));
    names_.emplace_back();  // the root's directory itself
    return !last || endAtDirectory();
  }

  void leave() {
    directories_.pop_back();
    names_.pop_back();
  }

  bool follow(const FileDescriptor& link) {
    if (++links_ > kMaxLinkHops) {
      errno = ELOOP;
      return false;
    }
    std::array<char, PATH_MAX> target;
    ssize_t length = ::readlinkat(link.get(), "", target.data(), target.size());
    if (length < 0) return false;
    if (length == 0 || static_cast<std::size_t>(length) == target.size()) {
      errno = length == 0 ? ENOENT : ENAMETOOLONG;
      return false;
    }
    if (target[0] == '/') {
      directories_.clear();
      names_.clear();
    }
    pushComponents(std::string_view(target.data(), static_cast<std::size_t>(length)));
    return true;
  }

  bool end(std::string name, FileDescriptor object, const struct stat& status) {
    name_ = std::move(name);
    object_ = std::move(object);
    status_ = status;
    return true;
  }

  bool endAtDirectory() {
    if (aboveMount()) {
      errno = ENOENT;  // the "/" above a mounted root is nothing that can be opened
      return false;
    }
    FileDescriptor self(::openat(directory(), ".", O_PATH | O_CLOEXEC));
    struct stat status;
    if (!self.isOpen() || ::fstat(self.get(), &status) != 0) return false;
    return end(".", std::move(self), status);
  }

  const FileRoot& root_;
  std::vector<FileDescriptor> directories_;  // held open below the root, innermost last
  std::vector<std::string> names_;           // their names below the root; empty for a mount
  std::vector<std::string> pending_;         // components still to resolve, the next one last
  int links_ = 0;
  std::string name_;
  FileDescriptor object_;
  struct stat status_ {};
};

// A regular file's status passes; anything else fails with errno telling what it is: EISDIR
// for a directory, ELOOP for a symbolic link, EINVAL for a device, FIFO or socket.
bool isRegular(const struct stat& status) {
  if (S_ISREG(status.st_mode)) return true;
  errno = S_ISDIR(status.st_mode) ? EISDIR : S_ISLNK(status.st_mode) ? ELOOP : EINVAL;
  return false;
}

// A file that was there when its type was checked is never reported absent when the open that
// follows fails: a reader takes ENOENT for a file that does not exist, and the configuration
// store would then replace the whole file at its first setting.
void neverAbsent() {
  if (errno == ENOENT) errno = EAGAIN;
}

// Whether /proc/self/fd can reopen this process's descriptors. A chroot or a mount namespace may
// have no /proc, or something else than the proc file system there; asked once, and given up
// for good when a reopen finds the directory missing.
enum ProcFd : int { kUnknown, kPresent, kMissing };
std::atomic<int> procFd{kUnknown};

bool procFdPresent() {
  int state = procFd.load(std::memory_order_relaxed);
  if (state == kUnknown) {
    struct statfs fileSystem;
    const bool present =
        ::statfs("/proc/self/fd", &fileSystem) == 0 && fileSystem.f_type == PROC_SUPER_MAGIC;
    state = present ? kPresent : kMissing;
    procFd.store(state, std::memory_order_relaxed);
  }
  return state == kPresent;
}

// Opens for reading, through /proc, the regular file that `object` (an O_PATH descriptor) names:
// the same file, whatever its name leads to by now. Where /proc/self/fd turns out missing, notes
// that and fails with ENOENT: the caller then opens the file as openCheckedByName does.
FileDescriptor reopenThroughProc(const FileDescriptor& object) {
  std::array<char, 32> self;
  std::snprintf(self.data(), self.size(), "/proc/self/fd/%d", object.get());
  FileDescriptor file(::open(self.data(), kReadFlags));
  if (!file.isOpen() && errno == ENOENT) procFd.store(kMissing, std::memory_order_relaxed);
  return file;
}

// Opens the entry `name` of `directory` for reading, not through a link, where no descriptor can
// be reopened: its status first (not following a link), then, when it is a regular file, the
// open (without following a link, blocking, or taking a terminal), and the opened file must be
// the one whose status was taken (device and inode), else it is treated as no regular file
// (EINVAL). `status` is the opened file's. The window that remains: whoever may write the
// directory can swap the name for a device between the status query and the open, and the
// device is then opened (closed again at once, unread); a disk whose listing or inodes lie
// cannot, since the status comes from the inode itself. With /proc the file opened is always
// the one checked, and nothing else is ever opened.
FileDescriptor openCheckedByName(int directory, const char* name, struct stat& status) {
  if (::fstatat(directory, name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !isRegular(status))
    return {};
  FileDescriptor file(::openat(directory, name, kReadFlags | O_NOFOLLOW | O_NOCTTY));
  struct stat opened;
  if (!file.isOpen() || ::fstat(file.get(), &opened) != 0) {
    neverAbsent();
    return {};
  }
  if (opened.st_dev != status.st_dev || opened.st_ino != status.st_ino) {
    errno = EINVAL;
    return {};
  }
  status = opened;
  return file;
}

// Opens the entry `name` of `directory` for reading when it is a regular file, checked before
// anything but an O_PATH descriptor opens it; a link is not followed (ELOOP, and `status` says
// S_IFLNK, so that the caller may resolve it in its root). `status` is the file's.
FileDescriptor openRegularEntry(int directory, const char* name, struct stat& status) {
  status.st_mode = 0;
  if (procFdPresent()) {
    FileDescriptor object(::openat(directory, name, kPathFlags));
    if (!object.isOpen() || ::fstat(object.get(), &status) != 0 || !isRegular(status)) return {};
    FileDescriptor file = reopenThroughProc(object);
    if (file.isOpen() || procFdPresent()) return file;
  }
  return openCheckedByName(directory, name, status);
}

// Reads once from `fd`; -1 with errno when it is not open or the read fails.
ssize_t readOnce(const FileDescriptor& fd, std::span<std::byte> buffer) {
  if (!fd.isOpen()) return -1;
  return ::read(fd.get(), buffer.data(), buffer.size());
}

// Resolves `path` in `root` to a file that exists; ENOENT when nothing is there.
bool walkToExisting(PathWalk& walk) {
  if (!walk.run()) return false;
  if (walk.exists()) return true;
  errno = ENOENT;
  return false;
}

// Opens `path` resolved in `root` with `flags`: O_PATH, or a directory; never a file whose
// type is unknown (openRegularFile checks that first), so nothing can turn this into an open
// of a device.
FileDescriptor openInRoot(const FileRoot& root, std::string_view path, int flags) {
  PathWalk walk(root, path);
  if (!walkToExisting(walk)) return {};
  if ((flags & O_PATH) != 0) return walk.takeObject();
  return FileDescriptor(
      ::openat(walk.directory(), walk.name().c_str(), flags | O_NOFOLLOW | O_CLOEXEC));
}

// Opens `path` resolved in `root` for reading when it is a regular file; its type is checked
// before anything but an O_PATH descriptor opens it (see openRegularEntry). Anything else fails
// with EISDIR (a directory) or EINVAL (a device, FIFO or socket); ENOENT means that nothing is
// there. The descriptor never blocks.
FileDescriptor openRegularFile(const FileRoot& root, std::string_view path, struct stat& status) {
  PathWalk walk(root, path);
  if (!walkToExisting(walk)) return {};
  if (procFdPresent()) {
    status = walk.status();
    if (!isRegular(status)) return {};
    FileDescriptor file = reopenThroughProc(walk.takeObject());
    if (file.isOpen() || procFdPresent()) return file;
  }
  // The walk ended at the file's directory and name, which openCheckedByName needs.
  return openCheckedByName(walk.directory(), walk.name().c_str(), status);
}

}  // namespace

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) {
    ErrnoGuard keep;
    ::close(fd_);
  }
}

FileRoot::FileRoot(std::filesystem::path directory, std::string mountPoint)
    : directory_(std::move(directory)),
      mountPoint_(std::move(mountPoint)),
      fd_(::open(directory_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}

void setReceiverRoot(std::filesystem::path root, std::string mountPoint) {
  receiverRootSlot() = std::make_unique<FileRoot>(std::move(root), std::move(mountPoint));
}

const FileRoot& receiverRoot() {
  return *receiverRootSlot();
}

const FileRoot& machineRoot() {
  static const FileRoot root("/");
  return root;
}

bool readRegularFile(const FileRoot& root, std::string_view path, std::size_t limit,
                     const std::function<void(std::string_view)>& take) {
  struct stat status;
  FileDescriptor file = openRegularFile(root, path, status);
  if (!file.isOpen()) return false;
  if (static_cast<std::uint64_t>(status.st_size) > limit) {
    errno = EFBIG;
    return false;
  }
  std::array<char, 1 << 16> piece;
  std::size_t total = 0;
  for (;;) {
    ssize_t count = ::read(file.get(), piece.data(), piece.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return count == 0;
    total += static_cast<std::size_t>(count);
    if (total > limit) {
      errno = EFBIG;  // it grew while being read
      return false;
    }
    take(std::string_view(piece.data(), static_cast<std::size_t>(count)));
  }
}

bool locateFileSlot(const FileRoot& root, std::string_view path, FileSlot& slot) {
  PathWalk walk(root, path);
  if (!walk.run()) return false;
  if (walk.exists() && !S_ISREG(walk.status().st_mode)) {
    errno = S_ISDIR(walk.status().st_mode) ? EISDIR : EINVAL;
    return false;
  }
  slot.name = walk.name();
  slot.exists = walk.exists();
  slot.status = walk.status();
  slot.directory = walk.takeDirectory();
  return slot.directory.isOpen();
}

bool isDirectory(const FileRoot& root, std::string_view path) {
  const FileDescriptor object = openInRoot(root, path, O_PATH);
  struct stat status;
  return object.isOpen() && ::fstat(object.get(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::filesystem::path pathOnMachine(const FileRoot& root, std::string_view path) {
  PathWalk walk(root, path);
  if (!walk.run()) return {};
  std::filesystem::path directory = walk.directoryOnMachine();
  return walk.name() == "." ? directory : directory / walk.name();
}

bool createDirectories(const FileRoot& root, std::string_view path, mode_t mode) {
  const bool machineRoot = root.directory() == "/" && root.mountPoint().empty();
  const int noFollow = machineRoot ? 0 : O_NOFOLLOW;
  FileDescriptor current(::fcntl(root.fd(), F_DUPFD_CLOEXEC, 0));
  while (current.isOpen() && !path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string component(path.substr(0, slash));
    path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      errno = EINVAL;  // a path made here never needs to climb
      return false;
    }
    if (::mkdirat(current.get(), component.c_str(), mode) != 0 && errno != EEXIST) return false;
    current = FileDescriptor(
        ::openat(current.get(), component.c_str(), O_PATH | O_DIRECTORY | noFollow | O_CLOEXEC));
  }
  return current.isOpen();
}

Directory::Directory(const FileRoot& root, std::string_view path)
    : root_(root), fd_(openInRoot(root, path, O_RDONLY | O_DIRECTORY)), path_(path) {}

bool Directory::forEachEntry(
    const std::function<void(std::string_view, unsigned char)>& visit) const {
  // The listing gets a descriptor of its own, so that this one stays usable for the *at calls.
  int listingFd = ::openat(fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listingFd < 0) return false;
  DIR* listing = ::fdopendir(listingFd);
  if (listing == nullptr) {
    ErrnoGuard keep;
    ::close(listingFd);
    return false;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(listing)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) visit(name, entry->d_type);
    errno = 0;
  }
  const bool listed = errno == 0;
  const ErrnoGuard keep;
  ::closedir(listing);
  return listed;
}

int Directory::status(const char* name, struct stat& result, bool followLinks) const {
  if (!followLinks) return ::fstatat(fd(), name, &result, AT_SYMLINK_NOFOLLOW);
  FileDescriptor object = openInRoot(root_, entryPath(name), O_PATH);
  return object.isOpen() ? ::fstat(object.get(), &result) : -1;
}

ssize_t Directory::readStart(const char* name, std::span<std::byte> buffer) const {
  return readOnce(openEntry(name), buffer);
}

// The entry `name` opened for reading when it is a regular file, or a link that leads to one
// in the root; checked before anything opens it, whatever the listing said it is.
FileDescriptor Directory::openEntry(const char* name) const {
  struct stat status;
  FileDescriptor file = openRegularEntry(fd(), name, status);
  if (file.isOpen() || !S_ISLNK(status.st_mode)) return file;
  return openRegularFile(root_, entryPath(name), status);
}

std::string Directory::entryPath(const char* name) const {
  std::string path = path_;
  return path.append("/").append(name);
}

}  // namespace disk
