// What a crash or a power cut left beside the list or the configuration file is removed by the
// next write, and never a temporary file that another writer (another rebuild on this machine,
// or on another that shares the disk) still holds, nor anything that is no regular file. The
// rebuild finds the list's temporary files in its own listing; the store's temporary file has a
// fixed name that its next write checks.
#include <fcntl.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "host/temporary_lock.h"
#include "movielist/recover.h"
#include "tests/support/files.h"
#include "tests/support/receiver_fixture.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

std::set<std::string> hiddenNames(const fs::path& directory) {
  return testsupport::names(directory, ".");
}

// Another writer's temporary file: created, and locked for as long as this object lives.
class HeldTemporary {
 public:
  HeldTemporary(const fs::path& directory, const char* name)
      : directoryFd_(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
        fd_(::openat(directoryFd_, name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) {
    locked_ = ::write(fd_, "half", 4) == 4 && host::lockTemporaryFile(directoryFd_, name, fd_) == 0;
  }
  HeldTemporary(const HeldTemporary&) = delete;
  ~HeldTemporary() { release(); }

  bool locked() const { return locked_; }
  void release() {
    if (fd_ >= 0) ::close(fd_);
    if (directoryFd_ >= 0) ::close(directoryFd_);
    fd_ = directoryFd_ = -1;
  }

 private:
  int directoryFd_;
  int fd_;
  bool locked_ = false;
};

using StrayTemporaries = ReceiverTest;

TEST_F(StrayTemporaries, TheRebuildRemovesWhatACrashLeftButNotWhatAWriterHolds) {
  root.recording("a.ts", 100);
  root.file(".recordings.epl.Ab3xY9", "#NAME half a list\n");
  root.file(".recordings.epl.q0Q0q0", "");
  fs::permissions(root.movieDirectory() / ".recordings.epl.q0Q0q0", fs::perms::owner_read);
  // Names that are no temporary file of the list stay whatever they hold, and so does what is
  // named like one but is no regular file.
  for (const char* other : {".recordings.epl.new", ".recordings.epl.Ab3x_9",
                            ".recordings.epl.Ab3xY", ".settings.Ab3xY9", "recordings.epl.Ab3xY9"}) {
    root.file(other, "someone's");
  }
  root.directory(".recordings.epl.Dir001");
  root.symlink(".recordings.epl.Lnk001", ".recordings.epl.Ab3xY9", 100);
  ASSERT_EQ(0, ::mkfifo((root.movieDirectory() / ".recordings.epl.Fif001").c_str(), 0600));
  HeldTemporary held(root.movieDirectory(), ".recordings.epl.HeLd01");
  ASSERT_TRUE(held.locked());

  EXPECT_EQ(1, recoverMovies(0));
  EXPECT_THAT(
      hiddenNames(root.movieDirectory()),
      ElementsAre(".recordings.epl.Ab3xY", ".recordings.epl.Ab3x_9", ".recordings.epl.Dir001",
                  ".recordings.epl.Fif001", ".recordings.epl.HeLd01", ".recordings.epl.Lnk001",
                  ".recordings.epl.new", ".settings.Ab3xY9"));
  EXPECT_TRUE(fs::exists(root.movieDirectory() / "recordings.epl.Ab3xY9"));

  held.release();  // the other writer was killed
  EXPECT_EQ(1, recoverMovies(0));
  EXPECT_EQ(0u, hiddenNames(root.movieDirectory()).count(".recordings.epl.HeLd01"));
}

TEST_F(StrayTemporaries, TheStoreReplacesWhatACrashLeftAndFailsWhileAWriterHoldsIt) {
  const fs::path config = root.root() / "config";
  eConfig& store = *eConfig::instance();
  ASSERT_EQ(0, store.setKey("/enigma/plugins/quillon/filesort", 2));
  std::ofstream(root.root() / ".config.new") << "half=";

  EXPECT_EQ(0, store.setKey("/enigma/plugins/quillon/filesort", 3));
  EXPECT_THAT(hiddenNames(root.root()), ::testing::IsEmpty());
  EXPECT_EQ("/enigma/plugins/quillon/filesort=3\n", testsupport::contents(config));

  {
    HeldTemporary held(root.root(), ".config.new");
    ASSERT_TRUE(held.locked());
    EXPECT_EQ(-1, store.setKey("/enigma/plugins/quillon/filesort", 4));
    EXPECT_EQ(EEXIST, errno);
    EXPECT_THAT(hiddenNames(root.root()), ElementsAre(".config.new"));
  }
  EXPECT_EQ(0, store.setKey("/enigma/plugins/quillon/filesort", 5));
  EXPECT_THAT(hiddenNames(root.root()), ::testing::IsEmpty());
}

// A clean-up that sees a writer's new file in the moment before the writer locks it takes it;
// the writer learns so from its lock, and makes another.
TEST(TemporaryLock, AWriterWhoseFileWasTakenAwayBeforeItsLockLearnsSo) {
  const fixtures::ReceiverRoot scratch = fixtures::ReceiverRoot::temporary();
  const int directoryFd = ::open(scratch.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const int writer =
      ::openat(directoryFd, ".list.raced", O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  ASSERT_EQ(0, host::removeAbandonedTemporaryFile(directoryFd, ".list.raced"));
  EXPECT_EQ(-1, host::lockTemporaryFile(directoryFd, ".list.raced", writer));
  ::close(writer);
  ::close(directoryFd);
}

}  // namespace
