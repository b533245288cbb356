// The table of temporary files that an ending signal removes: what is held is removed, what
// was released stays, and a full table says so.
#include "disk/replaced_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "fixtures/receiver_builder.h"

namespace {

namespace fs = std::filesystem;

class TemporaryFiles : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int slot : held) disk::releaseTemporaryFile(slot);
    if (directoryFd >= 0) ::close(directoryFd);
  }

  fs::path make(const std::string& name) {
    std::ofstream(directory.root() / name) << "partial";
    return directory.root() / name;
  }

  fixtures::ReceiverRoot directory = fixtures::ReceiverRoot::temporary();
  int directoryFd = ::open(directory.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::vector<int> held;
};

TEST_F(TemporaryFiles, RemovesWhatIsHeldAndLeavesWhatWasReleased) {
  const fs::path written = make(".list.a"), renamed = make(".list.b");
  held.push_back(disk::holdTemporaryFile(directoryFd, ".list.a"));
  const int released = disk::holdTemporaryFile(directoryFd, ".list.b");
  ASSERT_LE(0, held.back());
  ASSERT_LE(0, released);
  disk::releaseTemporaryFile(released);

  disk::removeTemporaryFiles();
  EXPECT_FALSE(fs::exists(written));
  EXPECT_TRUE(fs::exists(renamed));
}

TEST_F(TemporaryFiles, AFullTableRefusesAndTakesAgainOnceASlotIsFree) {
  for (int index = 0; index < disk::kMaxTemporaryFiles; ++index) {
    held.push_back(disk::holdTemporaryFile(directoryFd, ".list.x"));
    ASSERT_LE(0, held.back()) << index;
  }
  EXPECT_EQ(-1, disk::holdTemporaryFile(directoryFd, ".list.y"));
  disk::releaseTemporaryFile(held.back());
  held.back() = disk::holdTemporaryFile(directoryFd, ".list.y");
  EXPECT_LE(0, held.back());
}

TEST_F(TemporaryFiles, ANameLongerThanAFileNameIsRefused) {
  EXPECT_EQ(-1, disk::holdTemporaryFile(directoryFd, std::string(300, 'n').c_str()));
}

}  // namespace
