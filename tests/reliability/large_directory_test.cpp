// A movie directory of 100,000 recordings: every one is listed, sorted and written, and the
// host reads them all back.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "movielist/recover.h"
#include "tests/movielist/receiver_fixture.h"

namespace {

constexpr int kRecordings = 100'000;

std::string recordingName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "movie%06d.ts", index);
  return name;
}

class LargeDirectory : public ReceiverTest {
 protected:
  // Empty recordings, created in descending order so that the listing is not already sorted.
  void SetUp() override {
    ReceiverTest::SetUp();
    const int directory = ::open(root.movieDirectory().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_LE(0, directory);
    for (int index = kRecordings - 1; index >= 0; --index) {
      const int fd = ::openat(directory, recordingName(index).c_str(), O_WRONLY | O_CREAT, 0644);
      ASSERT_LE(0, fd) << index;
      ::close(fd);
    }
    ::close(directory);
  }
};

TEST_F(LargeDirectory, EveryRecordingIsListedSortedAndReadBack) {
  ASSERT_EQ(1, recoverMovies(1));
  ASSERT_EQ(static_cast<std::size_t>(kRecordings), DirMovieFile.size());
  EXPECT_EQ("/hdd/movie/movie000000.ts", DirMovieFile.front().FullPath);
  EXPECT_EQ("/hdd/movie/movie099999.ts", DirMovieFile.back().FullPath);
  EXPECT_TRUE(
      std::is_sorted(DirMovieFile.begin(), DirMovieFile.end(),
                     [](const DIRFILES& a, const DIRFILES& b) { return a.FullPath < b.FullPath; }));

  const std::string list = *root.readRecordingsList();
  EXPECT_EQ(1 + 4 * kRecordings, std::count(list.begin(), list.end(), '\n'));
  const auto& reloaded = eZapMain::instance()->recordings();
  ASSERT_EQ(static_cast<std::size_t>(kRecordings), reloaded.size());
  EXPECT_EQ("movie054321", reloaded[54321].description);
  EXPECT_EQ(1, reloads());
}

}  // namespace
