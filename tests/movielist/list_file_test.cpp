// The recordings list file: its exact bytes, what the host reloads from it, and how it is
// replaced. Failures while writing it are injected in the reliability suite.
#include <gmock/gmock.h>

#include "movielist/recover.h"
#include "tests/support/receiver_fixture.h"

namespace {

constexpr std::string_view kOldList = "#NAME Aufgenommene Filme\nthe old list\n";

class ListFileTest : public ReceiverTest {};

TEST_F(ListFileTest, OneMovieIsExactlyFiveLinesAndIsWhatTheHostReloads) {
  root.recording("Tatort.ts", 1767225600,
                 fixtures::EventBuilder()
                     .shortEvent("deu", fixtures::dvbText("Tatort"), fixtures::dvbText("Borowski"))
                     .bytes());
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_EQ(
      "#NAME Aufgenommene Filme\n"
      "#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/Tatort.ts\n"
      "#DESCRIPTION: Tatort - Borowski\n"
      "#TYPE 16385\n"
      "/hdd/movie/Tatort.ts\n",
      root.readRecordingsList());
  ASSERT_EQ(1u, DirMovieFile.size());
  EXPECT_EQ("Tatort.ts", DirMovieFile[0].FileName);
  EXPECT_EQ(1767225600, DirMovieFile[0].FileDate);
  EXPECT_EQ(1, reloads());
  const auto& loaded = eZapMain::instance()->recordings();
  ASSERT_EQ(1u, loaded.size());
  EXPECT_EQ("Tatort - Borowski", loaded[0].description);
  EXPECT_EQ("/hdd/movie/Tatort.ts", loaded[0].path);
}

TEST_F(ListFileTest, NoMoviesLeavesTheOldListAndAsksNoReload) {
  root.file("recordings.epl", kOldList);
  root.file("readme.txt", "no movies here");
  EXPECT_EQ(0, recoverMovies(1));
  EXPECT_EQ(kOldList, root.readRecordingsList());
  EXPECT_EQ(0, reloads());
}

}  // namespace
