// Where quillon-host finds its files, and the copy of an installed demo disk a run works on:
// writable, links as links, and nothing left behind when the copy fails. That the copy is the
// demo disk entry for entry, time for time, is checked on the installed program
// (tests/package/check-installed-host).
#include "runner/install_paths.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "fixtures/receiver_builder.h"

namespace {

namespace fs = std::filesystem;

// A program directory with a plug-in beside it is the build tree's; without, the installed
// layout applies, the plug-in there or not, and its paths are normalised.
TEST(LocateHostFiles, ThePlugInBesideTheProgramMarksTheBuildTree) {
  const struct {
    const char* name;
    const HostFileLayout* present;  // whose plug-in exists, if any
    const HostFileLayout& expected;
  } cases[] = {{"plug-in beside", &kBuildTreeLayout, kBuildTreeLayout},
               {"plug-in installed", &kInstalledLayout, kInstalledLayout},
               {"no plug-in", nullptr, kInstalledLayout}};
  for (const auto& each : cases) {
    const fixtures::ReceiverRoot scratch = fixtures::ReceiverRoot::temporary();
    const fs::path program = scratch.root() / "usr" / "bin";
    fs::create_directories(program);
    if (each.present) {
      const fs::path plugin = program / each.present->plugin;
      fs::create_directories(plugin.parent_path());
      std::ofstream(plugin) << "ELF";
    }
    const HostFiles files = locateHostFiles(program);
    EXPECT_EQ(each.expected.installed, files.installed) << each.name;
    EXPECT_EQ((program / each.expected.plugin).lexically_normal(), files.plugin) << each.name;
    EXPECT_EQ((program / each.expected.demoDisk).lexically_normal(), files.demoDisk) << each.name;
    for (const fs::path& path : {files.plugin, files.localeDirectory, files.demoDisk}) {
      EXPECT_EQ(path, path.lexically_normal()) << each.name;
    }
  }
}

// The demo disk as installed: read-only files and directories, a link dated by itself.
class DemoDiskCopy : public testing::Test {
 protected:
  void SetUp() override {
    fixtures::buildDemoDisk(installed_.root());
    for (const auto& item : fs::recursive_directory_iterator(installed_.root())) {
      if (!item.is_symlink()) {
        fs::permissions(item.path(), fs::perms::all & ~fs::perms::owner_write &
                                         ~fs::perms::group_write & ~fs::perms::others_write);
      }
    }
  }

  fixtures::ReceiverRoot installed_ = fixtures::ReceiverRoot::temporary();
  fixtures::ReceiverRoot temporary_ = fixtures::ReceiverRoot::temporary();
};

TEST_F(DemoDiskCopy, IsAFreshDirectoryItsOwnerMayWriteWithLinksKept) {
  const fs::path first = copyDemoDisk(installed_.root(), temporary_.root());
  std::ofstream(first / "hdd/movie/recordings.epl") << "written by a run\n";
  const fs::path copy = copyDemoDisk(installed_.root(), temporary_.root());
  EXPECT_EQ(temporary_.root(), copy.parent_path());
  EXPECT_NE(first, copy);
  EXPECT_FALSE(fs::exists(copy / "hdd/movie/recordings.epl"));
  int entries = 0;
  for (const auto& item : fs::recursive_directory_iterator(copy)) {
    ++entries;
    const fs::path original = installed_.root() / item.path().lexically_relative(copy);
    ASSERT_EQ(fs::symlink_status(original).type(), item.symlink_status().type()) << item.path();
    if (item.is_symlink()) {
      EXPECT_EQ(fs::read_symlink(original), fs::read_symlink(item.path()));
    } else {
      EXPECT_NE(fs::perms::none, item.status().permissions() & fs::perms::owner_write)
          << item.path();
    }
  }
  EXPECT_GT(entries, 5);
  EXPECT_TRUE(fs::is_symlink(copy / "hdd/movie/Lieblingsfilm.ts"));
}

TEST_F(DemoDiskCopy, AFailedCopyLeavesNothingBehind) {
  ASSERT_EQ(0, ::mkfifo((temporary_.root() / "pipe").c_str(), 0600));
  const struct {
    const char* name;
    fs::path from;
  } cases[] = {{"missing demo disk", installed_.root() / "none"},
               {"demo disk holding a pipe", temporary_.root()}};
  for (const auto& each : cases) {
    const fixtures::ReceiverRoot target = fixtures::ReceiverRoot::temporary();
    const auto entries = [&target] {
      return std::distance(fs::directory_iterator(target.root()), fs::directory_iterator());
    };
    const auto before = entries();
    EXPECT_THROW(copyDemoDisk(each.from, target.root()), std::system_error) << each.name;
    EXPECT_EQ(before, entries()) << each.name;
  }
}

TEST_F(DemoDiskCopy, OnlyAnInstalledDemoDiskIsCopiedAndAFailureIsReported) {
  HostFiles files{"quillon.so", "locale", installed_.root() / "none", false};
  std::ostringstream quiet;
  EXPECT_EQ(files.demoDisk, demoDiskRoot(files, quiet)) << "the build tree's is used as it is";
  EXPECT_EQ("", quiet.str());
  files.installed = true;
  std::ostringstream failure;
  EXPECT_EQ(std::nullopt, demoDiskRoot(files, failure));
  EXPECT_TRUE(failure.str().starts_with("quillon-host: cannot copy the demo disk: "))
      << failure.str();
}

}  // namespace
