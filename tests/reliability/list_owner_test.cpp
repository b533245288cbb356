// What the list file's owner chose survives a rebuild: its permission bits, and its owner and
// group where the process may set them. A list the process may not write is left alone and
// the rebuild fails, as writing it in place would. A list with other hard links is replaced under
// its own name; the other names keep the old list.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <filesystem>
#include <string>

#include "disk/file_failure.h"
#include "movielist/recover.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/receiver_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr char kOldList[] =
    "#NAME old\n#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/old.ts\n/hdd/movie/old.ts\n";
constexpr uid_t kNobody = 65534;

using ListOwner = ReceiverTest;

// A user who is not root is played by a child process that gives up root (or by this user,
// where the test is not root); the rows that give files to others need root and are left out
// otherwise. The replacement is a new file in the list's folder: a list the user may write, in
// a folder the user may not, is left alone, and the reason says that writing it in place would
// have worked.
TEST_F(ListOwner, TheOwnersChoiceSurvivesTheRebuildOrTheListIsLeftAlone) {
  constexpr unsigned kAsMade = ~0u;
  const struct {
    const char* what;
    unsigned owner, group;  // the list's, or kAsMade
    mode_t mode;
    bool byAnotherUser;
    mode_t folder;
    int rebuilt;
    unsigned newOwner, newGroup;  // the rebuilt list's, or kAsMade: not checked
    const char* reason = nullptr;
  } cases[] = {
      {"read-only to the user", kAsMade, kAsMade, 0444, true, 0777, 0, kAsMade, kAsMade},
      {"writable in a folder the user may not write", kAsMade, kAsMade, 0777, true, 0555, 0,
       kAsMade, kAsMade, "writing the file in place would have succeeded"},
      // Nobody may not give a file to root: the new list is nobody's.
      {"root's, another user may write", 0, 0, 0666, true, 0777, 1, kNobody, kAsMade},
      {"another user's, group-readable", 1234, 5678, 0640, false, 0777, 1, 1234, 5678},
      {"root's, made read-only (root may still write it)", 0, 0, 0444, false, 0777, 1, 0, 0},
      {"set-group-id, for a shared group", 0, 5678, 02664, false, 0777, 1, 0, 5678}};
  const fs::path backup = root.root() / "recordings.backup";  // another name of the list
  root.recording("a.ts", 100);
  fs::permissions(root.root(), fs::perms::all);
  fs::permissions(root.root() / "hdd", fs::perms::all);
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    if (::geteuid() != 0 && each.owner != kAsMade) continue;  // needs root
    fs::remove(backup);
    root.file("recordings.epl", kOldList);
    fs::create_hard_link(root.recordingsList(), backup);
    ASSERT_TRUE(each.owner == kAsMade ||
                ::chown(root.recordingsList().c_str(), each.owner, each.group) == 0);
    ASSERT_EQ(0, ::chmod(root.recordingsList().c_str(), each.mode));
    fs::permissions(root.movieDirectory(), fs::perms(each.folder));
    const int rebuilt = testsupport::resultInChild([&each] {
      if (each.byAnotherUser && ::geteuid() == 0 &&
          (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        return 100;
      }
      const int result = rebuildRecordingsList(0);
      const bool told = each.reason == nullptr ||
                        disk::lastFileFailure().operation.find(each.reason) != std::string::npos;
      return result + (told ? 0 : 10);
    });
    fs::permissions(root.movieDirectory(), fs::perms::all);
    EXPECT_EQ(each.rebuilt, rebuilt);
    struct stat status = {};
    ASSERT_EQ(0, ::lstat(root.recordingsList().c_str(), &status));
    EXPECT_EQ(each.mode, status.st_mode & 07777);
    EXPECT_EQ(each.rebuilt == 0, kOldList == root.readRecordingsList());
    EXPECT_EQ(each.rebuilt == 0 ? 2u : 1u, status.st_nlink);
    EXPECT_EQ(kOldList, testsupport::contents(backup));
    EXPECT_EQ(each.newOwner == kAsMade ? status.st_uid : each.newOwner, status.st_uid);
    EXPECT_EQ(each.newGroup == kAsMade ? status.st_gid : each.newGroup, status.st_gid);
    EXPECT_THAT(testsupport::names(root.movieDirectory(), "."), ::testing::IsEmpty());
  }
}

}  // namespace
