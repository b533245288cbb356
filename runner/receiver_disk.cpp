#include "runner/receiver_disk.h"

#include "disk/receiver_fs.h"
#include "runner/failure.h"
#include "runner/user_directories.h"

namespace fs = std::filesystem;

namespace {

// The receiver paths that tell a whole root, and the one that tells a hard disk.
constexpr const char* kWholeRootMarks[] = {"/hdd", "/etc/enigma"};
constexpr const char* kHardDiskMark = "/movie";

// `directory` with `receiverPath` below it, as shown in messages.
std::string below(const fs::path& directory, const char* receiverPath) {
  return quoted(fs::path(directory.native() + receiverPath));
}

}  // namespace

std::optional<DiskShape> diskShape(const fs::path& directory) {
  const disk::FileRoot root(directory);
  if (!root.isOpen()) return std::nullopt;
  for (const char* mark : kWholeRootMarks) {
    if (disk::isDirectory(root, mark)) return DiskShape::wholeRoot;
  }
  if (disk::isDirectory(root, kHardDiskMark)) return DiskShape::hardDisk;
  return std::nullopt;
}

std::string shapeTaken(const fs::path& directory, DiskShape shape) {
  if (shape == DiskShape::wholeRoot)
    return "taking " + quoted(directory) + " as a receiver's whole root";
  return "taking " + quoted(directory) + " as a receiver's hard disk, mounted at /" +
         kHardDiskMountPoint;
}

std::string noShape(const fs::path& directory) {
  return quoted(directory) + " is no receiver's disk: it holds neither " +
         below(directory, kWholeRootMarks[0]) + " nor " + below(directory, kWholeRootMarks[1]) +
         " (a receiver's root) nor " + below(directory, kHardDiskMark) + " (its hard disk)";
}

std::optional<fs::path> userConfigFile(const char* configHome, const char* home,
                                       const char* passwordHome) {
  const std::optional<fs::path> directory =
      userDirectory(configHome, home, passwordHome, ".config");
  if (!directory) return std::nullopt;
  return *directory / "quillon" / "config";
}

std::optional<fs::path> userConfigFile() {
  const std::optional<fs::path> directory = userDirectory("XDG_CONFIG_HOME", ".config");
  if (!directory) return std::nullopt;
  return *directory / "quillon" / "config";
}
