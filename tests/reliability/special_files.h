// The special files a hostile disk may hold, made by a test in its own directories: FIFOs,
// sockets and device nodes. Nothing here touches the machine's own /dev.
#pragma once

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace reliability {

inline void makeFifo(const std::filesystem::path& path) {
  if (::mkfifo(path.c_str(), 0644) != 0)
    throw std::system_error(errno, std::generic_category(), "mkfifo " + path.string());
}

// A listening socket's file, left behind with the socket closed.
inline void makeSocket(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.native().size() >= sizeof address.sun_path)
    throw std::length_error("socket path too long: " + path.string());
  std::strcpy(address.sun_path, path.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const bool bound =
      fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (!bound) throw std::system_error(error, std::generic_category(), "bind " + path.string());
}

// A character device like the system's endless zero device at `path`; empty when made, else
// why it cannot be made here (a test then skips and says so).
inline std::string makeZeroDevice(const std::filesystem::path& path) {
  struct statvfs fileSystem;
  if (::statvfs(path.parent_path().c_str(), &fileSystem) == 0 && (fileSystem.f_flag & ST_NODEV))
    return "the test's file system is mounted nodev, where device nodes do not open";
  if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0) return "";
  if (errno == EPERM) return "making a device node needs root";
  return std::string("mknod failed: ") + std::strerror(errno);
}

// What `path` itself is (not following a link): its type bits and device number.
inline std::pair<mode_t, dev_t> kindOf(const std::filesystem::path& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return {0, 0};
  return {status.st_mode & S_IFMT, status.st_rdev};
}

}  // namespace reliability
