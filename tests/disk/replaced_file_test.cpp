// The table of temporary files that an ending signal removes: what is held is removed, what
// was released stays.
#include "disk/replaced_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fixtures/receiver_builder.h"

namespace {

namespace fs = std::filesystem;

TEST(TemporaryFiles, RemovesWhatIsHeldAndLeavesWhatWasReleased) {
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
  ::close(directoryFd);
}

}  // namespace
