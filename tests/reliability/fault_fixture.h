// A receiver root with a list from an earlier rebuild and two recordings, one named by its
// event file, for rebuilds under injected faults; and the outcome every failed rebuild must
// have: the old list byte for byte, no temporary file beside it, no reload requested.
#pragma once

#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/movielist/receiver_fixture.h"
#include "tests/reliability/failure_point.h"

namespace reliability {

inline constexpr std::string_view kOldList =
    "#NAME Aufgenommene Filme\n"
    "#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/old.ts\n"
    "#DESCRIPTION: old\n"
    "#TYPE 16385\n"
    "/hdd/movie/old.ts\n";

class FaultTest : public ReceiverTest {
 protected:
  void SetUp() override {
    ReceiverTest::SetUp();
    ASSERT_TRUE(failurePointsAvailable()) << "run under fiu-run -x, which preloads libfiu";
    root.file("recordings.epl", kOldList);
    root.recording("a.ts", 100);
    root.recording("b.ts", 200,
                   fixtures::EventBuilder()
                       .shortEvent("deu", fixtures::dvbText("Tatort"), fixtures::dvbText(""))
                       .bytes());
  }

  // Names in `directory` that start with a dot: temporary files.
  static std::vector<std::string> hiddenFiles(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      const std::string name = entry.path().filename();
      if (name.starts_with(".")) names.push_back(name);
    }
    return names;
  }

  void expectTheOldListUntouched() const {
    EXPECT_EQ(kOldList, root.readRecordingsList());
    EXPECT_THAT(hiddenFiles(root.movieDirectory()), ::testing::IsEmpty());
    EXPECT_EQ(0, reloads());
  }
};

}  // namespace reliability
