// What the rebuild takes from the movie directory, and what it dates each movie by.

#include <gmock/gmock.h>

#include "movielist/event_files.h"
#include "movielist/recover.h"
#include "tests/support/receiver_fixture.h"

using ::testing::UnorderedElementsAre;

namespace {

class ScanTest : public ReceiverTest {};

// A link is dated by itself; the names come from the event files the listing shows, on this
// disk that keeps case apart.
TEST_F(ScanTest, TakesExactlyTheRecordings) {
  root.recording(
      "news.ts", 100,
      fixtures::EventBuilder().shortEvent("deu", fixtures::dvbText("Tatort"), {}).bytes());
  root.recording(".ts", 100);  // a name that is only the suffix still ends in ".ts"
  for (const char* name : {"SHOUT.TS", "Mixed.Ts", "news.ts.bak", "tsfile"}) {
    root.file(name, "not a recording");
  }
  root.file("TARGET.EIT",
            fixtures::EventBuilder().shortEvent("deu", fixtures::dvbText("Upper"), {}).bytes());
  root.directory("folder.ts");
  root.directory("series");
  root.recording("series/episode.ts", 100);
  root.recording("target.ts", 1000);
  root.symlink("link.ts", "target.ts", 5000);
  root.symlink("dangling.ts", "gone.ts", 6000);
  root.symlink("dirlink.ts", "series", 7000);
  // Mends a fault: a name holding a line break cannot be one line of the list file.
  root.recording("two\nlines.ts", 100);
  root.recording("carriage\rreturn.ts", 100);
  ASSERT_EQ(1, rebuildRecordingsList(1));
  EXPECT_EQ((std::vector<std::string>{".ts", "link.ts", "news.ts", "target.ts"}), listedNames());
  std::vector<std::pair<std::string, std::int64_t>> named;
  for (const DIRFILES& movie : DirMovieFile) named.emplace_back(movie.Description, movie.FileDate);
  EXPECT_EQ((decltype(named){{"", 100}, {"link", 5000}, {"Tatort", 100}, {"target", 1000}}), named);
}

// Guards the 32-bit receivers: without 64-bit file offsets and times their status query fails
// for a file larger than 2 GiB or dated after January 2038, and the recording dropped out.
TEST_F(ScanTest, ListsRecordingsLargerThan4GiBAndDatedAfter2038) {
  constexpr std::int64_t kAfter2038 = std::int64_t{1} << 32;  // in the year 2106
  root.recording("large.ts", 1767225600);
  root.recording("later.ts", kAfter2038);
  root.recording("earlier.ts", kAfter2038 - 1);
  const std::filesystem::path large = root.movieDirectory() / "large.ts";
  std::filesystem::resize_file(large, std::uintmax_t{5} << 30);  // sparse: no disk used
  ASSERT_EQ(std::uintmax_t{5} << 30, std::filesystem::file_size(large));
  ASSERT_EQ(1, rebuildRecordingsList(4));
  EXPECT_EQ((std::vector<std::string>{"later.ts", "earlier.ts", "large.ts"}), listedNames());
  EXPECT_EQ(kAfter2038, DirMovieFile[0].FileDate);
}

TEST_F(ScanTest, EachRebuildStartsFromAnEmptyList) {
  root.recording("first.ts", 100);
  ASSERT_EQ(1, rebuildRecordingsList(1));
  std::filesystem::remove(root.movieDirectory() / "first.ts");
  root.recording("second.ts", 100);
  ASSERT_EQ(1, rebuildRecordingsList(1));
  EXPECT_THAT(listedNames(), UnorderedElementsAre("second.ts"));
  // Without recordings the list written last stays, and no reload is asked.
  const std::optional<std::string> list = root.readRecordingsList();
  std::filesystem::remove(root.movieDirectory() / "second.ts");
  root.file("readme.txt", "no movies here");
  EXPECT_EQ(0, rebuildRecordingsList(1));
  EXPECT_TRUE(DirMovieFile.empty());
  EXPECT_EQ(list, root.readRecordingsList());
  std::filesystem::remove_all(root.movieDirectory());
  EXPECT_EQ(0, rebuildRecordingsList(1));
  EXPECT_TRUE(DirMovieFile.empty());
  EXPECT_EQ(2, reloads());
}

// On a disk that may fold case (vfat, exFAT: "a.ts" beside "A.EIT", whose open as "a.eit"
// finds it) no listed name may hold back the open; on one that keeps case apart, the listing
// says which recordings have an event file, whatever type it gives the entry.
TEST(EventFileIndex, PassesEveryRecordingToTheOpenWhereNamesMayFoldCase) {
  const char* const listing[] = {"a.ts",  "A.EIT", "\xC3\xA4.ts", "\xC3\x84.EIT", "b.ts",
                                 "b.eit", "c.ts",  "c.eit.bak",   "d.tsb.ts",     "d.tsb.eit"};
  const struct {
    const char* recording;
    bool keepingCase;
  } cases[] = {{"a.ts", false},    {"\xC3\xA4.ts", false}, {"b.ts", true},     {"c.ts", false},
               {"d.tsb.ts", true}, {"e.ts", false},        {"A.EIT.ts", false}};
  for (const bool namesMayFoldCase : {false, true}) {
    EventFileIndex index(namesMayFoldCase);
    for (const char* name : listing) index.add(name);
    index.complete();
    for (const auto& [recording, keepingCase] : cases) {
      const EventFileListing expected = namesMayFoldCase ? EventFileListing::Unknown
                                        : keepingCase    ? EventFileListing::Listed
                                                         : EventFileListing::Absent;
      EXPECT_EQ(expected, index.listing(recording))
          << recording << (namesMayFoldCase ? " where names may fold case" : "");
    }
  }
}

}  // namespace
