// The rebuild: what it takes from the movie directory, the name it gives each movie (from the
// event file's first short event descriptor when allowed and present, else from the file name)
// and what it dates it by; the six orders of the list, their ties, and the order the list keeps
// for any other code; and the list file over the host's limits, which is not written. That the
// file is written in the list's order is FloorTest's, which compares it in every order with the
// floor's own, and the transcripts'; its exact bytes are
// EndToEnd.TextFromTheDiskIsShownEscapedAndListedAsItIs's and the installed program's
// (tests/package/check-installed-host); what the host reloads, the transcripts'. Failures
// while writing it are injected in the reliability suite.
#include <gmock/gmock.h>

#include "host/ezapmain.h"
#include "movielist/display_name.h"
#include "movielist/event_files.h"
#include "movielist/list_writer.h"
#include "movielist/recover.h"
#include "tests/support/files.h"
#include "tests/support/open_watch.h"
#include "tests/support/receiver_fixture.h"

namespace {

using fixtures::Bytes;
using fixtures::dvbText;
using fixtures::EventBuilder;

// An event file whose short event holds `name` and `text`.
Bytes titled(std::string_view name, std::string_view text = "") {
  return EventBuilder().shortEvent("deu", dvbText(name), dvbText(text)).bytes();
}

class DisplayNameTest : public ReceiverTest {
 protected:
  // The display name of "news.ts" with `event` as its event file.
  eString nameWithEvent(const Bytes& event) {
    root.file("news.eit", event);
    return getFileName("/hdd/movie/news.ts", "news.ts");
  }
};

TEST_F(DisplayNameTest, NamesFromTheFirstShortEventOrElseFromTheFile) {
  const struct {
    const char* what;
    Bytes event;
    const char* expected;
  } cases[] = {
      {"name and text", titled("Tatort", "Borowski"), "Tatort - Borowski"},
      {"text equal to the name", titled("Tatort", "Tatort"), "Tatort"},
      {"empty text", titled("Tatort", ""), "Tatort"},
      {"empty name", titled("", "Borowski"), " - Borowski"},
      {"both empty", titled("", ""), "news"},
      {"smallest naming event, 20 bytes", titled("X", ""), "X"},
      {"empty file", {}, "news"},
      {"fixed part only", Bytes(12, 0), "news"},
      {"13 bytes, no whole descriptor", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x4D}, "news"},
      {"no short event", EventBuilder().extendedEvent("deu", dvbText("x")).bytes(), "news"},
      {"several short events",
       EventBuilder()
           .extendedEvent("deu", dvbText("long text"))
           .shortEvent("eng", dvbText("Crime scene"), {})
           .shortEvent("deu", dvbText("Tatort"), {})
           .bytes(),
       "Crime scene"},
      {"ends at byte 4096",
       EventBuilder().padTo(4096 - 8).shortEvent("deu", dvbText("X"), {}).bytes(), "X"},
      {"starts at byte 4096",
       EventBuilder().padTo(4096).shortEvent("deu", dvbText("X"), {}).bytes(), "news"},
      // Mends a fault: a title holding a line break broke the list file's line structure.
      {"control bytes", titled("Line\nBreak", "Tab\tStop"), "Line Break - Tab Stop"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, nameWithEvent(c.event)) << c.what;
  std::filesystem::remove(root.movieDirectory() / "news.eit");
  EXPECT_EQ("news", getFileName("/hdd/movie/news.ts", "news.ts")) << "no event file";
}

TEST_F(DisplayNameTest, TheSettingOffOpensNoEventFileAndAnyOtherValueAllowsIt) {
  root.file("news.eit", titled("Tatort", ""));
  const testsupport::OpenWatch watch(root.movieDirectory() / "news.eit");
  ASSERT_EQ(0, eConfig::instance()->setKey(kEitInfoKey, 0));
  EXPECT_EQ("news", getFileName("/hdd/movie/news.ts", "news.ts"));
  EXPECT_EQ(0, watch.opens());
  ASSERT_EQ(0, eConfig::instance()->setKey(kEitInfoKey, 7));
  EXPECT_EQ("Tatort", getFileName("/hdd/movie/news.ts", "news.ts"));
  EXPECT_EQ(1, watch.opens()) << "the watch sees an open";
}

// The host's configuration may name another table than 00 for text without a selector.
TEST_F(DisplayNameTest, TheHostsDefaultTableReadsTitlesWithoutASelector) {
  ASSERT_EQ(0, eConfig::instance()->setKey(kDefaultTableKey, 2));
  EXPECT_EQ("\u010CUbersee", nameWithEvent(titled("\xC8Ubersee", "")));
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
  for (const char* name : {"SHOUT.TS", "Mixed.Ts", "news.ts.bak", "tsfile"})
    root.file(name, "not a recording");
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
  // Sparse: no disk used.
  std::filesystem::resize_file(root.movieDirectory() / "large.ts", std::uintmax_t{5} << 30);
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
  EXPECT_EQ(1, reloads());
}

TEST_F(SortTest, OrdersTheListInEachSortType) {
  root.recording("b.ts", 200, titled("Alpha"));
  root.recording("a.ts", 200, titled("Charlie"));
  root.recording("c.ts", 100, titled("Bravo"));
  root.recording("d.ts", 300, titled("alpha"));
  root.recording("e.ts", 250, titled("\x15\xC3\xA9"));  // "é" in UTF-8: after every ASCII byte
  const std::vector<std::string> expected[] = {
      {"a.ts", "b.ts", "c.ts", "d.ts", "e.ts"},
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
    root.recording("m" + std::to_string(10 + (i * 37) % 64) + ".ts", i, titled("Same"));
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
  // One movie whose description fills the list to the byte limit, or one byte past it; one
  // movie too many.
  const auto described = [](std::size_t length) {
    return std::vector{DIRFILES{"/hdd/movie/a.ts", "a.ts", eString(length, 'd'), 0}};
  };
  writeRecordingsList(kRecordingsList, described(0));
  const std::size_t room = eZapMain::kListFileLimit - root.readRecordingsList()->size();
  const struct {
    const char* what;
    std::vector<DIRFILES> movies;
    bool written;
  } cases[] = {
      {"at the byte limit", described(room), true},
      {"one byte over", described(room + 1), false},
      {"one movie too many", std::vector(eZapMain::kListEntryLimit + 1, described(0)[0]), false},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    root.file("recordings.epl", kOldList);
    EXPECT_EQ(each.written ? 0 : -1, writeRecordingsList(kRecordingsList, each.movies));
    EXPECT_EQ(each.written ? eZapMain::kListFileLimit : kOldList.size(),
              root.readRecordingsList().value_or("").size());
    EXPECT_THAT(testsupport::names(root.movieDirectory(), "."), ::testing::IsEmpty());
  }
}

// On a disk that may fold case (vfat, exFAT: "a.ts" beside "A.EIT", whose open as "a.eit"
// finds it) no listed name may hold back the open; on one that keeps case apart, the listing
// says which recordings have an event file, whatever type it gives the entry.
TEST(EventFileIndex, PassesEveryRecordingToTheOpenWhereNamesMayFoldCase) {
  const char* const listing[] = {"a.ts",  "A.EIT", "\xC3\xA4.ts", "\xC3\x84.EIT", "b.ts",
                                 "b.eit", "c.ts",  "c.eit.bak",   "d.tsb.ts",     "d.tsb.eit"};
  for (const bool namesMayFoldCase : {false, true}) {
    EventFileIndex index(namesMayFoldCase);
    for (const char* name : listing) index.add(name);
    index.complete();
    // One letter a recording: Absent, Listed or Unknown.
    std::string listings;
    for (const char* recording :
         {"a.ts", "\xC3\xA4.ts", "b.ts", "c.ts", "d.tsb.ts", "e.ts", "A.EIT.ts"})
      listings += "ALU"[static_cast<int>(index.listing(recording))];
    EXPECT_EQ(namesMayFoldCase ? "UUUUUUU" : "AALALAA", listings);
  }
}

}  // namespace
