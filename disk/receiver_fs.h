// The receiver's file system as the plug-in sees it. The plug-in names fixed receiver paths
// ("/hdd/movie"); the host maps them under a root directory: "/" on a receiver, a directory of
// the stand-in's choosing elsewhere. Every file the plug-in touches is reached through here.
//
// The disk under the root is untrusted. Every path resolves inside its root, link targets
// included: an absolute link means the same path under the root, and ".." at the root stays
// there, as at a receiver's "/". A file is read only when it is a regular file, checked before
// anything opens it (whatever a directory listing says it is), without ever blocking, and up to
// a bound. Without /proc the check and the open are two calls on the file's name, and only
// someone who may write the directory can come between them (see openCheckedByName).
//
// A root may also be a receiver's hard disk alone, which the receiver mounts at "/hdd": then
// the receiver's "/" holds that disk at "/hdd" and nothing else. An absolute link, or ".."
// above the disk, leads to the receiver's "/", from where only "/hdd" leads back to the disk;
// any other path there is absent, as a dangling link is.
//
// This is the receiver-disk library's main header, and its errors follow one rule in every
// header of the library: a call that fails returns -1, false or an empty result (a descriptor
// that is not open, an empty path) and leaves errno to say why; what cleans up after a failure
// keeps that errno (ErrnoGuard). Where a call records a failure for a person to read, it says
// so (file_failure.h).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace disk {

// Keeps errno across the calls that clean up after a failure: errno is what it was when the
// guard was made once the guard goes. Async-signal-safe, for a signal handler's system calls.
class ErrnoGuard {
 public:
  ~ErrnoGuard() { errno = saved_; }

 private:
  int saved_ = errno;
};

// An open file descriptor, closed with the object; -1 when there is none.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  bool isOpen() const { return fd_ >= 0; }
  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

// A directory that stands for "/" while paths are resolved, or for a file system mounted one
// level below "/": nothing resolved in it leaves it.
class FileRoot {
 public:
  // Opens `directory` as "/"; or, with a `mountPoint` such as "hdd", as the file system
  // mounted at "/hdd" of a "/" that holds nothing else. Check isOpen(), errno tells why not.
  explicit FileRoot(std::filesystem::path directory, std::string mountPoint = {});

  bool isOpen() const { return fd_.isOpen(); }
  int fd() const { return fd_.get(); }
  const std::filesystem::path& directory() const { return directory_; }
  // The name in "/" where directory() is mounted; empty when it is "/" itself.
  const std::string& mountPoint() const { return mountPoint_; }

 private:
  std::filesystem::path directory_;
  std::string mountPoint_;
  FileDescriptor fd_;
};

// Sets the directory that stands for the receiver's "/" (or, with a mount point, for the file
// system mounted there); "/" until set.
void setReceiverRoot(std::filesystem::path root, std::string mountPoint = {});
const FileRoot& receiverRoot();
// This machine's own "/", for the files a user names on the command line.
const FileRoot& machineRoot();

// Reads the regular file `path` in `root` in pieces, handing each to `take`; false when it
// cannot be opened (a directory: EISDIR; a device, FIFO or socket: EINVAL; its type is
// checked before it is opened, and it is never waited for), a read fails, or it holds more than
// `limit` bytes (EFBIG). ENOENT means that nothing is there, never that a file there could not
// be opened. Works without /proc. Pieces already taken stay taken: the caller discards them when
// this fails.
bool readRegularFile(const FileRoot& root, std::string_view path, std::size_t limit,
                     const std::function<void(std::string_view)>& take);

// Where a file is to be created or replaced: the directory that holds it and its name there,
// links followed in the root. `exists` tells whether a file is there now; if so, it is a
// regular file and `status` is its status.
struct FileSlot {
  FileDescriptor directory;
  std::string name;
  bool exists = false;
  struct stat status {};
};

// The slot of `path` in `root`. Fails with EISDIR when the path names a directory and with
// EINVAL when it names a device, FIFO or socket, so that only a regular file is ever replaced.
bool locateFileSlot(const FileRoot& root, std::string_view path, FileSlot& slot);

// Whether `path` in `root` is a directory, links followed in the root.
bool isDirectory(const FileRoot& root, std::string_view path);

// The path on this machine of the file or directory that `path` in `root` leads to, links
// followed in the root; for a file that does not exist yet, where it would be made. Empty, with
// errno, when `path` cannot be resolved.
std::filesystem::path pathOnMachine(const FileRoot& root, std::string_view path);

// Makes the directories of `path` in `root` that are missing, one by one, with `mode`. Below
// a root that is this machine's "/" a link on the way is followed, as it cannot lead out;
// below any other, a link ends the making with ENOTDIR, as does anything but a directory.
bool createDirectories(const FileRoot& root, std::string_view path, mode_t mode = 0755);

// An open directory in a root. The calls below are relative to it, so that a pass over many
// entries walks no paths. Closes itself.
class Directory {
 public:
  // Opens `path` in `root`, which must outlive it; check isOpen(), errno tells why not.
  Directory(const FileRoot& root, std::string_view path);

  bool isOpen() const { return fd_.isOpen(); }
  int fd() const { return fd_.get(); }
  // The path it was opened by, in its root.
  const std::string& path() const { return path_; }

  // Every entry but "." and "..", in the order the listing yields them: `visit` sees each name
  // (NUL-terminated) and type in turn; the name lives only until `visit` returns. Returns
  // false, with errno set, when the listing fails part-way.
  bool forEachEntry(const std::function<void(std::string_view, unsigned char)>& visit) const;

  // Status of `name`, following a symbolic link (in the root) or not.
  int status(const char* name, struct stat& result, bool followLinks) const;
  // Reads up to `buffer.size()` bytes of the regular file `name` (or the one a link leads to in
  // the root) in one call; -1 on failure. Its type is checked before it is opened, whatever the
  // listing said: a listing's type is the disk's word, and the inode may be a device.
  ssize_t readStart(const char* name, std::span<std::byte> buffer) const;

 private:
  FileDescriptor openEntry(const char* name) const;
  std::string entryPath(const char* name) const;

  const FileRoot& root_;
  FileDescriptor fd_;
  std::string path_;
};

}  // namespace disk
