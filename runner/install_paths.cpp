#include "runner/install_paths.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "disk/receiver_fs.h"
#include "runner/user_directories.h"

namespace fs = std::filesystem;

// The build tree's places come from runner/CMakeLists.txt, the installed ones from
// cmake/Packaging.cmake; all are relative, so nothing of the build tree is compiled in.
const HostFileLayout kBuildTreeLayout = {"quillon.so", QUILLON_BUILD_LOCALE_DIR,
                                         QUILLON_BUILD_DEMO_DISK, false};
const HostFileLayout kInstalledLayout = {QUILLON_INSTALLED_PLUGIN_DIR "/quillon.so",
                                         QUILLON_INSTALLED_LOCALE_DIR, QUILLON_INSTALLED_DEMO_DISK,
                                         true};

namespace {

[[noreturn]] void throwFromErrno(const fs::path& path) {
  throw std::system_error(errno, std::generic_category(), path.string());
}

HostFiles resolve(const HostFileLayout& layout, const fs::path& directory) {
  return {(directory / layout.plugin).lexically_normal(),
          (directory / layout.localeDirectory).lexically_normal(),
          (directory / layout.demoDisk).lexically_normal(), layout.installed};
}

// Gives `to` the modification time (and access time) of `status`, a link itself and not what
// it leads to: the rebuild dates a link by its own time.
void copyTimes(const struct stat& status, const fs::path& to) {
  const struct timespec times[2] = {status.st_atim, status.st_mtim};
  if (::utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) throwFromErrno(to);
}

void copyEntry(const fs::path& from, const fs::path& to);

void copyDirectoryContents(const fs::path& from, const fs::path& to) {
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    copyEntry(entry.path(), to / entry.path().filename());
  }
}

void copyEntry(const fs::path& from, const fs::path& to) {
  struct stat status;
  if (::lstat(from.c_str(), &status) != 0) throwFromErrno(from);
  if (S_ISLNK(status.st_mode)) {
    fs::create_symlink(fs::read_symlink(from), to);
  } else if (S_ISDIR(status.st_mode)) {
    fs::create_directory(to);
    copyDirectoryContents(from, to);
  } else if (S_ISREG(status.st_mode)) {
    fs::copy_file(from, to);
  } else {
    throw std::system_error(std::make_error_code(std::errc::not_supported),
                            from.string() + " is neither file, directory nor link");
  }
  if (!S_ISLNK(status.st_mode)) {
    fs::permissions(to, static_cast<fs::perms>(status.st_mode & 07777) | fs::perms::owner_write);
  }
  copyTimes(status, to);
}

// Makes `directory` and those above it that are missing, readable by their owner alone, as the
// freedesktop.org base directories ask; those that exist stay as they are.
void createPrivateDirectories(const fs::path& directory) {
  fs::path partial;
  for (const fs::path& component : directory) {
    partial /= component;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) throwFromErrno(partial);
  }
}

// Puts the finished `copy` in `place`, written to the disk first, so that no run ever finds a
// part of a copy there. Where another run was first, its copy stays and this one goes.
void syncAndRename(const fs::path& copy, const fs::path& place) {
  if (const disk::FileDescriptor copyFd(::open(copy.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      !copyFd.isOpen() || ::syncfs(copyFd.get()) != 0) {
    throwFromErrno(copy);  // the descriptor's close keeps errno
  }
  if (::rename(copy.c_str(), place.c_str()) != 0) {
    if (errno != EEXIST && errno != ENOTEMPTY) throwFromErrno(place);
    std::error_code ignored;
    fs::remove_all(copy, ignored);
    return;
  }
  const int parentFd = ::open(place.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parentFd >= 0) {
    ::fsync(parentFd);
    ::close(parentFd);
  }
}

}  // namespace

Outcome<fs::path> programDirectory() {
  std::error_code error;
  // The path the kernel was given to start this program, which needs no /proc to be read.
  const auto* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
  fs::path program;
  error = std::make_error_code(std::errc::no_such_file_or_directory);
  if (started != nullptr && *started != '\0') {
    program = fs::absolute(started, error);
    if (!error) program = fs::canonical(program, error);
  }
  // Started from a descriptor, the path is "/dev/fd/N", which leads nowhere once the
  // descriptor is closed; the kernel's own record of the program, where /proc shows it, still
  // tells.
  if (error) program = fs::canonical("/proc/self/exe", error);
  if (!error) return program.parent_path();
  return Failure("cannot tell where this program lies, so its plug-in and files cannot be found: " +
                 error.message());
}

HostFiles locateHostFiles(const fs::path& programDirectory) {
  HostFiles inBuildTree = resolve(kBuildTreeLayout, programDirectory);
  std::error_code ignored;
  if (fs::exists(inBuildTree.plugin, ignored)) return inBuildTree;
  return resolve(kInstalledLayout, programDirectory);
}

fs::path makeDemoDisk(const fs::path& from, const fs::path& place) {
  std::error_code error;
  if (fs::is_directory(place, error)) return place;
  createPrivateDirectories(place.parent_path());
  std::string pattern =
      (place.parent_path() / ("." + place.filename().string() + ".XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throwFromErrno(place.parent_path());
  const fs::path copy = pattern;
  try {
    if (!fs::is_directory(from)) {
      throw std::system_error(std::make_error_code(std::errc::not_a_directory), from.string());
    }
    copyDirectoryContents(from, copy);
    syncAndRename(copy, place);
  } catch (...) {
    fs::remove_all(copy, error);
    throw;
  }
  return place;
}

Outcome<fs::path> demoDiskRoot(const HostFiles& files, std::ostream& notices) {
  if (!files.installed) return files.demoDisk;
  const std::optional<fs::path> dataHome = userDirectory("XDG_DATA_HOME", ".local/share");
  if (!dataHome) {
    return Failure(
        "no home directory to keep your copy of the demo disk in (XDG_DATA_HOME and HOME are not "
        "set, and the password database names none); give --root");
  }
  const fs::path place = *dataHome / "quillon" / "demo-disk";
  try {
    fs::path disk = makeDemoDisk(files.demoDisk, place);
    notices << "quillon-host: working on your copy of the demo disk in " << quoted(disk) << '\n';
    return disk;
  } catch (const std::system_error& failure) {
    return Failure("cannot make your copy of the demo disk in " + quoted(place) + ": " +
                   failure.what());
  }
}
