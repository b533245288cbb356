// What the list file's owner chose survives a rebuild: its permission bits, and its owner and
// group where the process may set them. A list the process may not write is left alone and
// the rebuild fails, as writing it in place would; a user who is not root is played by a
// child process that gives up root. A list with other hard links is replaced under its own
// name; the other names keep the old list.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "disk/file_failure.h"
#include "movielist/recover.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/receiver_fixture.h"

namespace {

namespace fs = std::filesystem;
using testsupport::resultInChild;

constexpr char kOldList[] =
    "#NAME old\n#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/old.ts\n/hdd/movie/old.ts\n";
constexpr uid_t kNobody = 65534;

struct stat statusOf(const fs::path& file) {
  struct stat status = {};
  ::lstat(file.c_str(), &status);
  return status;
}

class ListOwner : public ReceiverTest {
 protected:
  void SetUp() override {
    ReceiverTest::SetUp();
    root.file("recordings.epl", kOldList);
    root.recording("a.ts", 100);
  }

  // The result of `rebuild` (rebuildRecordingsList, by default), run by a user who is not root:
  // this one, or nobody when the test runs as root. The directories let that user in and the movie
  // directory lets it write, unless `movieDirectory` says otherwise.
  int rebuildAsAnotherUser(
      fs::perms movieDirectory = fs::perms::all,
      const std::function<int()>& rebuild = [] { return rebuildRecordingsList(0); }) {
    fs::permissions(root.root(), fs::perms::all);
    fs::permissions(root.root() / "hdd", fs::perms::all);
    fs::permissions(root.movieDirectory(), movieDirectory);
    return resultInChild([&rebuild] {
      if (::geteuid() == 0 &&
          (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        return 100;
      }
      return rebuild();
    });
  }

  // What a replacement may leave beside the list: its temporary files.
  std::set<std::string> otherNames() const {
    return testsupport::names(root.movieDirectory(), ".");
  }
};

TEST_F(ListOwner, AListTheUserMayNotWriteIsLeftAloneAndTheRebuildFails) {
  // Owned by root when the test runs as root; by the user itself, made read-only, otherwise.
  fs::permissions(root.recordingsList(),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(0, rebuildAsAnotherUser());
  EXPECT_EQ(kOldList, root.readRecordingsList());
  EXPECT_EQ(0444u, statusOf(root.recordingsList()).st_mode & 07777);
  EXPECT_THAT(otherNames(), ::testing::IsEmpty());
}

// The replacement is a new file in the list's folder: a list the user may write, in a folder the
// user may not, is left alone, and the reason says that writing it in place would have worked.
TEST_F(ListOwner, AListTheUserMayWriteInAFolderTheUserMayNotIsLeftAloneAndToldWhy) {
  fs::permissions(root.recordingsList(), fs::perms::all);
  const int result = rebuildAsAnotherUser(fs::perms(0555), [] {
    const int rebuilt = rebuildRecordingsList(0);
    const bool told = disk::lastFileFailure().operation.find(
                          "writing the file in place would have succeeded") != std::string::npos;
    return rebuilt == 0 && told ? 0 : 1;
  });
  EXPECT_EQ(0, result);
  EXPECT_EQ(kOldList, root.readRecordingsList());
  EXPECT_THAT(otherNames(), ::testing::IsEmpty());
}

TEST_F(ListOwner, AListAnotherUserMayWriteIsReplacedWithItsPermissionBits) {
  if (::geteuid() != 0) GTEST_SKIP() << "a list owned by another user needs root to make";
  fs::permissions(root.recordingsList(), fs::perms::owner_read | fs::perms::owner_write |
                                             fs::perms::group_read | fs::perms::group_write |
                                             fs::perms::others_read | fs::perms::others_write);
  EXPECT_EQ(1, rebuildAsAnotherUser());
  const struct stat status = statusOf(root.recordingsList());
  EXPECT_EQ(0666u, status.st_mode & 07777);
  // Nobody may not give a file to root: the new list is nobody's.
  EXPECT_EQ(kNobody, status.st_uid);
  EXPECT_NE(kOldList, root.readRecordingsList());
  EXPECT_THAT(otherNames(), ::testing::IsEmpty());
}

TEST_F(ListOwner, OwnerGroupAndPermissionBitsSurviveTheRebuild) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving the list another owner needs root";
  struct Case {
    const char* name;
    uid_t owner;
    gid_t group;
    mode_t mode;
  };
  for (const Case& each : {Case{"another user's, group-readable", 1234, 5678, 0640},
                           Case{"root's, made read-only (root may still write it)", 0, 0, 0444},
                           Case{"set-group-id, for a shared group", 0, 5678, 02664}}) {
    SCOPED_TRACE(each.name);
    root.file("recordings.epl", kOldList);
    ASSERT_EQ(0, ::chown(root.recordingsList().c_str(), each.owner, each.group));
    ASSERT_EQ(0, ::chmod(root.recordingsList().c_str(), each.mode));
    EXPECT_EQ(1, rebuildRecordingsList(0));
    const struct stat status = statusOf(root.recordingsList());
    EXPECT_EQ(each.owner, status.st_uid);
    EXPECT_EQ(each.group, status.st_gid);
    EXPECT_EQ(each.mode, status.st_mode & 07777);
    EXPECT_NE(kOldList, root.readRecordingsList());
    EXPECT_THAT(otherNames(), ::testing::IsEmpty());
  }
}

TEST_F(ListOwner, AListWithOtherHardLinksIsReplacedAndTheOtherNamesKeepTheOldList) {
  const fs::path backup = root.root() / "recordings.backup";
  fs::create_hard_link(root.recordingsList(), backup);
  EXPECT_EQ(1, rebuildRecordingsList(0));
  EXPECT_NE(kOldList, root.readRecordingsList());
  EXPECT_EQ(1u, statusOf(root.recordingsList()).st_nlink);
  EXPECT_EQ(kOldList, testsupport::contents(backup));
}

}  // namespace
