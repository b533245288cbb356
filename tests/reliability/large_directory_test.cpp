// A directory of 100,000 recordings is listed, sorted, written and read back whole. It takes
// long enough to carry the label "slow", which a quick run leaves out (ctest -LE slow).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "host/ezapmain.h"
#include "movielist/recover.h"
#include "tests/support/receiver_fixture.h"

namespace {

constexpr int kRecordings = 100'000;

using LargeDirectory = ReceiverTest;

TEST_F(LargeDirectory, EveryRecordingIsListedSortedAndReadBack) {
  // Empty recordings, created in descending order so that the listing is not already sorted.
  for (int index = kRecordings - 1; index >= 0; --index) {
    const std::string name = "movie" + std::to_string(1'000'000 + index).substr(1) + ".ts";
    ASSERT_TRUE(std::ofstream(root.movieDirectory() / name)) << name;
  }
  ASSERT_EQ(1, rebuildRecordingsList(1));
  const auto& reloaded = eZapMain::instance()->recordings();
  ASSERT_EQ(static_cast<std::size_t>(kRecordings), reloaded.size());
  EXPECT_TRUE(std::ranges::is_sorted(reloaded, {}, &eZapMain::Recording::description));
  EXPECT_EQ("movie054321", reloaded[54321].description);
  EXPECT_EQ(1, reloads());
}

}  // namespace
