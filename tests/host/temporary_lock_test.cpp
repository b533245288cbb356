// Which temporary files a clean-up removes: those a crash left (no writer holds their lock),
// never one a writer holds, nor anything that is no regular file. A writer whose new file was
// taken away before it could lock it learns so.
#include "host/temporary_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "fixtures/receiver_builder.h"

namespace {

namespace fs = std::filesystem;

class TemporaryLock : public ::testing::Test {
 protected:
  void TearDown() override { ::close(directoryFd); }

  // A temporary file as a writer creates it, open for writing.
  int create(const char* name) const {
    return ::openat(directoryFd, name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  }
  bool exists(const char* name) const { return fs::exists(fs::symlink_status(at / name)); }

  fixtures::ReceiverRoot directory = fixtures::ReceiverRoot::temporary();
  fs::path at = directory.root();
  int directoryFd = ::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
};

TEST_F(TemporaryLock, AFileAWriterHoldsStaysAndGoesOnceTheWriterIsGone) {
  const int writer = create(".list.held");
  ASSERT_EQ(0, host::lockTemporaryFile(directoryFd, ".list.held", writer));
  EXPECT_EQ(-1, host::removeAbandonedTemporaryFile(directoryFd, ".list.held"));
  EXPECT_EQ(EAGAIN, errno);
  EXPECT_TRUE(exists(".list.held"));

  ::close(writer);  // as when the writer is killed
  EXPECT_EQ(0, host::removeAbandonedTemporaryFile(directoryFd, ".list.held"));
  EXPECT_FALSE(exists(".list.held"));
}

TEST_F(TemporaryLock, OnlyAbandonedRegularFilesAreRemoved) {
  struct Case {
    const char* name;
    int error;  // 0: removed
  };
  std::ofstream(at / ".list.crashed") << "half a list";
  fs::permissions(at / ".list.crashed", fs::perms::owner_read);
  fs::create_directory(at / ".list.directory");
  fs::create_symlink(".list.crashed", at / ".list.link");
  ::mkfifo((at / ".list.fifo").c_str(), 0600);
  for (const Case& each :
       {Case{".list.crashed", 0}, Case{".list.directory", EEXIST}, Case{".list.link", ELOOP},
        Case{".list.fifo", EEXIST}, Case{".list.missing", ENOENT}}) {
    SCOPED_TRACE(each.name);
    errno = 0;
    EXPECT_EQ(each.error == 0 ? 0 : -1, host::removeAbandonedTemporaryFile(directoryFd, each.name));
    EXPECT_EQ(each.error, errno);
    EXPECT_EQ(each.error != 0 && each.error != ENOENT, exists(each.name));
  }
}

TEST_F(TemporaryLock, AWriterWhoseFileWasTakenAwayBeforeItsLockMakesAnother) {
  const int writer = create(".list.raced");
  // A clean-up sees the file in the moment before the writer locks it.
  ASSERT_EQ(0, host::removeAbandonedTemporaryFile(directoryFd, ".list.raced"));
  EXPECT_EQ(-1, host::lockTemporaryFile(directoryFd, ".list.raced", writer));
  ::close(writer);
}

}  // namespace
