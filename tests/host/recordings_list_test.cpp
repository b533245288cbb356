// The host's recordings list: parsing the list text, well-formed or damaged, and reloading it
// from the receiver's disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures/receiver_builder.h"
#include "host/ezapmain.h"
#include "host/receiver_fs.h"

namespace {

using namespace std::string_literals;

// One line per recording: service | description | path.
std::vector<std::string> summary(const std::vector<eZapMain::Recording>& recordings) {
  std::vector<std::string> lines;
  for (const auto& recording : recordings)
    lines.push_back(recording.service + " | " + recording.description + " | " + recording.path);
  return lines;
}

std::vector<std::string> parse(std::string_view text) {
  return summary(parseRecordingsList(text, nullptr));
}

const std::string kTwoMovies =
    "#NAME Aufgenommene Filme\n"
    "#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/a.ts\n"
    "#DESCRIPTION: Tagesschau - Nachrichten\n"
    "#TYPE 16385\n"
    "/hdd/movie/a.ts\n"
    "#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/b.ts\n"
    "#DESCRIPTION: b\n"
    "#TYPE 16385\n"
    "/hdd/movie/b.ts\n";

TEST(RecordingsListParse, WellFormedList) {
  eString name;
  const auto recordings = parseRecordingsList(kTwoMovies, &name);
  EXPECT_EQ("Aufgenommene Filme", name);
  EXPECT_EQ((std::vector<std::string>{
                "1:0:1:0:0:0:000000:0:0:0:/hdd/movie/a.ts | Tagesschau - Nachrichten | "
                "/hdd/movie/a.ts",
                "1:0:1:0:0:0:000000:0:0:0:/hdd/movie/b.ts | b | /hdd/movie/b.ts"}),
            summary(recordings));
}

TEST(RecordingsListParse, EmptyTextIsEmptyList) {
  eString name("stale");
  EXPECT_TRUE(parseRecordingsList("", &name).empty());
  EXPECT_EQ("", name);
}

TEST(RecordingsListParse, LastPathLineNeedsNoLineFeed) {
  EXPECT_EQ((std::vector<std::string>{"s | d | /p"}),
            parse("#SERVICE: s\n#DESCRIPTION: d\n#TYPE 1\n/p"));
}

TEST(RecordingsListParse, CarriageReturnsEndLinesToo) {
  EXPECT_EQ((std::vector<std::string>{"s | d | /p"}),
            parse("#NAME n\r\n#SERVICE: s\r\n#DESCRIPTION: d\r\n#TYPE 1\r\n/p\r\n"));
}

TEST(RecordingsListParse, DescriptionAndTypeMayBeMissing) {
  EXPECT_EQ((std::vector<std::string>{"s1 |  | /p1", "s2 |  | /p2", "s3 | d | /p3"}),
            parse("#SERVICE: s1\n/p1\n#SERVICE: s2\n#TYPE 1\n/p2\n#SERVICE: s3\n"
                  "#DESCRIPTION: d\n/p3\n"));
}

TEST(RecordingsListParse, TagWithoutItsBlankCounts) {
  EXPECT_EQ((std::vector<std::string>{"s |  | /p"}),
            parse("#SERVICE: s\n#DESCRIPTION:\n#TYPE\n/p\n"));
}

TEST(RecordingsListParse, DescriptionKeepsEverythingAfterTheTag) {
  EXPECT_EQ((std::vector<std::string>{"s |  two  blanks: #SERVICE:  | /p"}),
            parse("#SERVICE: s\n#DESCRIPTION:  two  blanks: #SERVICE: \n/p\n"));
}

TEST(RecordingsListParse, NewServiceLineDropsTheInterruptedEntry) {
  EXPECT_EQ((std::vector<std::string>{"second | d2 | /p2"}),
            parse("#SERVICE: first\n#DESCRIPTION: d1\n"
                  "#SERVICE: second\n#DESCRIPTION: d2\n#TYPE 1\n/p2\n"));
}

TEST(RecordingsListParse, LineOutOfPlaceDropsTheEntry) {
  const char* interruptions[] = {"#DESCRIPTION: again", "#UNKNOWN", "", "#NAME other"};
  for (const char* line : interruptions) {
    const std::string text =
        "#SERVICE: s\n#DESCRIPTION: d\n" + std::string(line) + "\n#TYPE 1\n/p\n";
    EXPECT_EQ(std::vector<std::string>{}, parse(text)) << line;
  }
  EXPECT_EQ(std::vector<std::string>{}, parse("#SERVICE: s\n#TYPE 1\n#DESCRIPTION: d\n/p\n"));
  EXPECT_EQ(std::vector<std::string>{}, parse("#SERVICE: s\n#TYPE 1\n#TYPE 1\n/p\n"));
}

TEST(RecordingsListParse, LinesOutsideAnEntryAreSkipped) {
  EXPECT_EQ((std::vector<std::string>{"s | d | /p"}),
            parse("/stray/path\n#DESCRIPTION: stray\n#TYPE 1\n\n#COMMENT\n"
                  "#SERVICE: s\n#DESCRIPTION: d\n#TYPE 1\n/p\n/second/path\n"));
}

TEST(RecordingsListParse, BinaryGarbageGivesWhatItCanRead) {
  std::string text;
  for (int byte = 0; byte < 256; ++byte) text += static_cast<char>(byte);
  text += "\n#SERVICE: \x01\xFF\n\0\n"s;
  text += "#SERVICE: s\x00t\n/p\x80\n"s;
  text += "#SERVICE: cut";
  EXPECT_EQ((std::vector<std::string>{"\x01\xFF |  | \0"s, "s\0t |  | /p\x80"s}), parse(text));
}

class RecordingsReload : public testing::Test {
 protected:
  void SetUp() override { host::setReceiverRoot(root_.root()); }
  void TearDown() override {
    eZapMain::instance()->onRecordingsLoaded(nullptr);
    host::setReceiverRoot("/");
  }

  fixtures::ReceiverRoot root_ = fixtures::ReceiverRoot::temporary();
};

TEST_F(RecordingsReload, ReadsTheListFromTheReceiverRoot) {
  root_.file("recordings.epl", kTwoMovies);
  eZapMain& main = *eZapMain::instance();
  const int before = main.reloadCount();
  main.loadRecordings(false);
  EXPECT_EQ(before + 1, main.reloadCount());
  EXPECT_EQ("Aufgenommene Filme", main.listName());
  ASSERT_EQ(2u, main.recordings().size());
  EXPECT_EQ("/hdd/movie/b.ts", main.recordings()[1].path);
}

TEST_F(RecordingsReload, MissingFileEmptiesTheList) {
  root_.file("recordings.epl", kTwoMovies);
  eZapMain& main = *eZapMain::instance();
  main.loadRecordings(false);
  std::filesystem::remove(root_.recordingsList());
  main.loadRecordings(false);
  EXPECT_TRUE(main.recordings().empty());
  EXPECT_EQ("", main.listName());
}

TEST_F(RecordingsReload, ObserverSeesEveryReload) {
  std::vector<std::string> transcript;
  eZapMain& main = *eZapMain::instance();
  main.onRecordingsLoaded([&](const eZapMain& reloaded) {
    transcript.push_back(std::to_string(reloaded.recordings().size()) + " recordings");
  });
  main.loadRecordings(false);
  root_.file("recordings.epl", kTwoMovies);
  main.loadRecordings(true);
  EXPECT_EQ((std::vector<std::string>{"0 recordings", "2 recordings"}), transcript);
}

}  // namespace
