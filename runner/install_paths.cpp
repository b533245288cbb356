#include "runner/install_paths.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/auxv.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <system_error>

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

}  // namespace

fs::path programDirectory(std::error_code& error) {
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
  return error ? fs::path() : program.parent_path();
}

HostFiles locateHostFiles(const fs::path& programDirectory) {
  HostFiles inBuildTree = resolve(kBuildTreeLayout, programDirectory);
  std::error_code ignored;
  if (fs::exists(inBuildTree.plugin, ignored)) return inBuildTree;
  return resolve(kInstalledLayout, programDirectory);
}

fs::path copyDemoDisk(const fs::path& from, const fs::path& temporaryDirectory) {
  std::string pattern = (temporaryDirectory / "quillon-demo-disk.XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throwFromErrno(pattern);
  const fs::path copy = pattern;
  try {
    if (!fs::is_directory(from)) {
      throw std::system_error(std::make_error_code(std::errc::not_a_directory), from.string());
    }
    copyDirectoryContents(from, copy);
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(copy, ignored);
    throw;
  }
  return copy;
}

std::optional<fs::path> demoDiskRoot(const HostFiles& files, std::ostream& errors) {
  if (!files.installed) return files.demoDisk;
  try {
    fs::path copy = copyDemoDisk(files.demoDisk, fs::temp_directory_path());
    errors << "quillon-host: working on a copy of the demo disk in " << copy.string() << '\n';
    return copy;
  } catch (const std::system_error& failure) {
    errors << "quillon-host: cannot copy the demo disk: " << failure.what() << '\n';
    return std::nullopt;
  }
}
