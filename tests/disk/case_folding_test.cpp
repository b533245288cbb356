// namesMayFoldCase: the file systems of USB disks and network shares, and directories with the
// casefold flag, may match names without regard to case; the file systems of a receiver's own
// disk do not.
#include "disk/case_folding.h"

#include <linux/fs.h>
#include <linux/magic.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "disk/receiver_fs.h"

namespace {

TEST(CaseFolding, TheFileSystemTypeOrTheCasefoldFlagDecidesAndADirectoryIsAskedForThem) {
  const struct {
    const char* what;
    std::uint32_t type;
    unsigned int flags;
    bool mayFold;
  } cases[] = {
      {"vfat", MSDOS_SUPER_MAGIC, 0, true},
      {"ext4", EXT4_SUPER_MAGIC, 0, false},
      {"ext4, casefolded directory", EXT4_SUPER_MAGIC, FS_CASEFOLD_FL, true},
      {"ext4, other flags", EXT4_SUPER_MAGIC, FS_NOATIME_FL | FS_EXTENT_FL, false},
  };
  for (const auto& [what, type, flags, mayFold] : cases)
    EXPECT_EQ(mayFold, disk::namesMayFoldCase(type, flags)) << what;
  // The tests' temporary directory lies on a file system that keeps case apart.
  EXPECT_FALSE(disk::namesMayFoldCase(
      disk::Directory(disk::machineRoot(), std::filesystem::temp_directory_path().string())));
  EXPECT_TRUE(disk::namesMayFoldCase(disk::Directory(disk::machineRoot(), "/no/such/directory")))
      << "a directory that cannot be asked";
}

}  // namespace
