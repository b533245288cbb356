// The special files a hostile disk may hold, made by a test in its own directories: FIFOs,
// sockets and device nodes. Nothing here touches the machine's own /dev.
#pragma once

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace reliability {

// A FIFO, or with S_IFSOCK a socket's file (as a socket bound there leaves it), which anyone may
// make.
inline void makeFifo(const std::filesystem::path& path, mode_t type = S_IFIFO) {
  if (::mknod(path.c_str(), type | 0644, 0) != 0)
    throw std::system_error(errno, std::generic_category(), "mknod " + path.string());
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
