// The user's copy of an installed demo disk that a run works on: in the user's data directory,
// writable, and no part of it left behind when the copy fails. That the copy is the demo disk
// entry for entry, time for time, links as links, that nothing is left beside it, that two runs
// share it, and where an installed program finds its files, is checked on the installed program
// (tests/package/check-installed-host); that a build tree's demo disk is used as it is, by
// EndToEnd's run without --root; every end-to-end test finds the plug-in beside the program in
// the build tree.
#include "runner/install_paths.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fixtures/receiver_builder.h"

namespace {

namespace fs = std::filesystem;

// The demo disk as installed: read-only files and directories, a link dated by itself.
class DemoDiskCopy : public testing::Test {
 protected:
  void SetUp() override {
    fixtures::buildDemoDisk(installed_.root());
    for (const auto& item : fs::recursive_directory_iterator(installed_.root())) {
      if (item.is_symlink()) continue;
      fs::permissions(item.path(),
                      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
    }
  }

  fixtures::ReceiverRoot installed_ = fixtures::ReceiverRoot::temporary();
  fixtures::ReceiverRoot data_ = fixtures::ReceiverRoot::temporary();
};

TEST_F(DemoDiskCopy, AFailedCopyLeavesNoPartOfItBehind) {
  ASSERT_EQ(0, ::mkfifo((data_.root() / "pipe").c_str(), 0600));
  // A demo disk that is missing, and one that holds a pipe.
  for (const fs::path& from : {installed_.root() / "none", data_.root()}) {
    const fixtures::ReceiverRoot target = fixtures::ReceiverRoot::temporary();
    const fs::path place = target.root() / "quillon" / "demo-disk";
    EXPECT_THROW(makeDemoDisk(from, place), std::system_error) << from;
    EXPECT_TRUE(fs::is_empty(place.parent_path())) << from;
  }
}

// In the user's data directory: ~/.local/share unless XDG_DATA_HOME names one (how either is
// found is runner/user_directories.h's, proved with the settings of a hard disk), with the
// directories above it the user's alone and everything in it writable. The path is written
// escaped, like every path from the user's environment. CTest runs each test in a process of its
// own, so the environment is not put back.
TEST_F(DemoDiskCopy, IsMadeWritableInTheUsersDataAndItsPathIsShownEscaped) {
  const HostFiles files{"quillon.so", "locale", installed_.root(), true};
  ::unsetenv("XDG_DATA_HOME");
  ASSERT_EQ(0, ::setenv("HOME", data_.root().c_str(), 1));
  std::ostringstream inHome;
  const fs::path place = data_.root() / ".local/share/quillon/demo-disk";
  EXPECT_EQ(place, *demoDiskRoot(files, inHome)) << inHome.str();
  EXPECT_EQ(fs::perms::owner_all, fs::status(place.parent_path()).permissions());
  for (const auto& item : fs::recursive_directory_iterator(place)) {
    EXPECT_TRUE(item.is_symlink() ||
                (item.status().permissions() & fs::perms::owner_write) != fs::perms::none)
        << item.path();
  }

  const std::string dataHome = data_.root().string() + "/\x1B[2J";
  ASSERT_EQ(0, ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1));
  const std::string shown = "'" + data_.root().string() + "/\\x1B[2J/quillon/demo-disk'";
  std::ostringstream made;
  EXPECT_EQ(fs::path(dataHome) / "quillon/demo-disk", *demoDiskRoot(files, made));
  EXPECT_EQ("quillon-host: working on your copy of the demo disk in " + shown + "\n", made.str());

  fs::remove_all(dataHome);
  std::ofstream(dataHome) << "a file where the data home should be\n";
  std::ostringstream failure;
  const Outcome<fs::path> none = demoDiskRoot(files, failure);
  ASSERT_FALSE(none);
  EXPECT_EQ(kExitBadCommandLine, tell(none.failure(), failure));
  EXPECT_TRUE(failure.str().starts_with("quillon-host: cannot make your copy of the demo disk in " +
                                        shown + ": "))
      << failure.str();
  EXPECT_EQ(std::string::npos, failure.str().find('\x1B')) << failure.str();
}

}  // namespace
