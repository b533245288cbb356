// The table of temporary files that an ending signal removes: what is held is removed, what
// was released stays. And the lock that tells a writer its new file was taken away.
#include "disk/replaced_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fixtures/receiver_builder.h"

namespace {

namespace fs = std::filesystem;

TEST(TemporaryFiles, RemovesWhatIsHeldLeavesWhatWasReleasedAndTellsAWriterItsFileWasTaken) {
  const fixtures::ReceiverRoot directory = fixtures::ReceiverRoot::temporary();
  const int directoryFd = ::open(directory.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const char* name : {".list.a", ".list.b"}) std::ofstream(directory.root() / name) << "x";
  const int held = disk::holdTemporaryFile(directoryFd, ".list.a");
  const int released = disk::holdTemporaryFile(directoryFd, ".list.b");
  ASSERT_LE(0, held);
  ASSERT_LE(0, released);
  disk::releaseTemporaryFile(released);

  disk::removeTemporaryFiles();
  EXPECT_FALSE(fs::exists(directory.root() / ".list.a"));
  EXPECT_TRUE(fs::exists(directory.root() / ".list.b"));
  disk::releaseTemporaryFile(held);

  // A clean-up that sees a writer's new file in the moment before the writer locks it takes it;
  // the writer learns so from its lock, and makes another.
  const int writer =
      ::openat(directoryFd, ".list.raced", O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  ASSERT_EQ(0, disk::removeAbandonedTemporaryFile(directoryFd, ".list.raced"));
  EXPECT_EQ(-1, disk::lockTemporaryFile(directoryFd, ".list.raced", writer));
  ::close(writer);
  ::close(directoryFd);
}

}  // namespace
