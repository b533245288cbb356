// What the rebuild takes from the movie directory, what it dates each movie by; the six orders
// of the list, their ties, and the order the list keeps for any other code; and the list file
// over the host's limits, which is not written. That the file is written in the list's order is
// FloorTest's, which compares it in every order with the floor's own, and the transcripts'; its
// exact bytes are EndToEnd.TextFromTheDiskIsShownEscapedAndListedAsItIs's and the installed
// program's (tests/package/check-installed-host); what the host reloads, the transcripts'.
// Failures while writing it are injected in the reliability suite.
#include <gmock/gmock.h>

#include <cstdio>

#include "host/ezapmain.h"
#include "movielist/event_files.h"
#include "movielist/list_writer.h"
#include "movielist/recover.h"
#include "tests/support/files.h"
#include "tests/support/receiver_fixture.h"

namespace {

using Names = std::vector<std::string>;

fixtures::Bytes titled(std::string_view title) {
  return fixtures::EventBuilder().shortEvent("deu", fixtures::dvbText(title), {}).bytes();
}

constexpr std::string_view kOldList = "#NAME Aufgenommene Filme\nthe old list\n";

class ScanTest : public ReceiverTest {};
class ListFileTest : public ReceiverTest {};
class SortTest : public ReceiverTest {};

// A link is dated by itself; the names come from the event files the listing shows, on this
// disk that keeps case apart.
TEST_F(ScanTest, TakesExactlyTheRecordings) {
  root.recording("news.ts", 100, titled("Tatort"));
  root.recording(".ts", 100);  // a name that is only the suffix still ends in ".ts"
  // Mends a fault: "a.tsb.ts" looked for "a.eit" and was named "a".
  root.recording("a.tsb.ts", 100);
  root.file("a.eit", titled("Wrong"));
  for (const char* name : {"SHOUT.TS", "Mixed.Ts", "news.ts.bak", "tsfile"}) {
    root.file(name, "not a recording");
  }
  root.file("TARGET.EIT", titled("Upper"));
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
  EXPECT_EQ((std::vector<std::string>{".ts", "a.tsb.ts", "link.ts", "news.ts", "target.ts"}),
            listedNames());
  std::vector<std::pair<std::string, std::int64_t>> named;
  for (const DIRFILES& movie : DirMovieFile) named.emplace_back(movie.Description, movie.FileDate);
  EXPECT_EQ((decltype(named){
                {"", 100}, {"a.tsb", 100}, {"link", 5000}, {"Tatort", 100}, {"target", 1000}}),
            named);
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

// That a rebuild with recordings forgets those of the last is FloorTest's, whose rebuilds in
// every order on one root write what the floor writes.
TEST_F(ScanTest, EachRebuildStartsFromAnEmptyList) {
  root.recording("first.ts", 100);
  ASSERT_EQ(1, rebuildRecordingsList(1));
  // Without recordings the list written last stays, and no reload is asked.
  const std::optional<std::string> list = root.readRecordingsList();
  std::filesystem::remove(root.movieDirectory() / "first.ts");
  root.file("readme.txt", "no movies here");
  EXPECT_EQ(0, rebuildRecordingsList(1));
  EXPECT_TRUE(DirMovieFile.empty());
  EXPECT_EQ(list, root.readRecordingsList());
  std::filesystem::remove_all(root.movieDirectory());
  EXPECT_EQ(0, rebuildRecordingsList(1));
  EXPECT_TRUE(DirMovieFile.empty());
  EXPECT_EQ(1, reloads());
}

TEST_F(SortTest, OrdersTheListInEachSortType) {
  root.recording("b.ts", 200, titled("Alpha"));
  root.recording("a.ts", 200, titled("Charlie"));
  root.recording("c.ts", 100, titled("Bravo"));
  root.recording("d.ts", 300, titled("alpha"));
  root.recording("e.ts", 250,  // "é" in UTF-8 (selector 0x15): after every ASCII byte
                 fixtures::EventBuilder()
                     .shortEvent("fra", fixtures::dvbText({0x15}, "\xC3\xA9"), {})
                     .bytes());
  const Names expected[] = {{"a.ts", "b.ts", "c.ts", "d.ts", "e.ts"},
                            {"e.ts", "d.ts", "c.ts", "b.ts", "a.ts"},
                            // Equal dates come in ascending path order in both date orders.
                            {"c.ts", "a.ts", "b.ts", "e.ts", "d.ts"},
                            {"d.ts", "e.ts", "a.ts", "b.ts", "c.ts"},
                            // Bytes as unsigned values, upper case before lower: not a locale.
                            {"b.ts", "c.ts", "a.ts", "d.ts", "e.ts"},
                            {"e.ts", "d.ts", "a.ts", "c.ts", "b.ts"}};
  for (int sortType = 1; sortType <= 6; ++sortType) {
    ASSERT_EQ(1, rebuildRecordingsList(sortType));
    EXPECT_EQ(expected[sortType - 1], listedNames()) << "SortType " << sortType;
  }
}

// Mends a fault: equal descriptions came out in an arbitrary order from one run to the next.
TEST_F(SortTest, AnyOtherSortTypeAndEqualDescriptionsKeepListingOrder) {
  for (int i = 0; i < 64; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%02d.ts", (i * 37) % 64);
    root.recording(name, i, titled("Same"));
  }
  for (int sortType : {0, 5, 6, 7}) {
    ASSERT_EQ(1, rebuildRecordingsList(sortType));
    EXPECT_EQ(listingOrder(), listedNames()) << "SortType " << sortType;
  }
}

// Mends a fault: a rebuild wrote a list over the host's reading limit, said "Movies recovered
// successfully.", and the host then read no movies from it. A list the host would not read is
// not written: the old one stays.
TEST_F(ListFileTest, AListOverTheHostsLimitsIsNotWritten) {
  const DIRFILES movie{"/hdd/movie/a.ts", "a.ts", "", 0};
  writeRecordingsList(kRecordingsList, {movie});
  const std::size_t entryBytes = root.readRecordingsList()->size();
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
