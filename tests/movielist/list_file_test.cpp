// The recordings list file: its exact bytes, what the host reloads from it, and how it is
// replaced. Failures while writing it are injected in the reliability suite.
#include <gmock/gmock.h>

#include "host/ezapmain.h"
#include "movielist/list_writer.h"
#include "movielist/recover.h"
#include "tests/support/files.h"
#include "tests/support/receiver_fixture.h"

namespace {

constexpr std::string_view kOldList = "#NAME Aufgenommene Filme\nthe old list\n";

class ListFileTest : public ReceiverTest {};

TEST_F(ListFileTest, OneMovieIsExactlyFiveLinesAndIsWhatTheHostReloads) {
  root.recording("Tatort.ts", 1767225600,
                 fixtures::EventBuilder()
                     .shortEvent("deu", fixtures::dvbText("Tatort"), fixtures::dvbText("Borowski"))
                     .bytes());
  ASSERT_EQ(1, rebuildRecordingsList(1));
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

// Mends a fault: a rebuild wrote a list over the host's reading limit, said "Movies recovered
// successfully.", and the host then read no movies from it. A list the host would not read is
// not written: the old one stays.
TEST_F(ListFileTest, AListOverTheHostsLimitsIsNotWritten) {
  const DIRFILES movie{"/hdd/movie/a.ts", "a.ts", "", 0};
  std::size_t entryBytes = 0;
  writeRecordingsList(kRecordingsList, {movie});
  entryBytes = root.readRecordingsList()->size();
  // One movie whose description fills the list to the byte limit, or one byte past it; one
  // movie too many.
  const auto described = [&movie](std::size_t length) {
    DIRFILES large = movie;
    large.Description.assign(length, 'd');
    return std::vector<DIRFILES>{large};
  };
  const std::size_t room = eZapMain::kListFileLimit - entryBytes;
  const struct {
    const char* what;
    std::vector<DIRFILES> movies;
    bool written;
  } cases[] = {
      {"at the byte limit", described(room), true},
      {"one byte over", described(room + 1), false},
      {"one movie too many", std::vector<DIRFILES>(eZapMain::kListEntryLimit + 1, movie), false},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    root.file("recordings.epl", kOldList);
    EXPECT_EQ(each.written ? 0 : -1, writeRecordingsList(kRecordingsList, each.movies));
    const std::optional<std::string> list = root.readRecordingsList();
    EXPECT_EQ(each.written ? eZapMain::kListFileLimit : kOldList.size(), list.value_or("").size());
    EXPECT_THAT(testsupport::names(root.movieDirectory(), "."), ::testing::IsEmpty());
  }
}

}  // namespace
