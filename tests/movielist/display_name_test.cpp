// Display names: from the event file's short event descriptor when allowed and present, else
// from the file name.
#include <gmock/gmock.h>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "receiver_fixture.h"

namespace {

using fixtures::Bytes;
using fixtures::dvbText;
using fixtures::EventBuilder;

Bytes shortEvent(std::string_view name, std::string_view text) {
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

TEST_F(DisplayNameTest, JoinsNameAndTextOnlyWhenTheTextSaysMore) {
  EXPECT_EQ("Tatort - Borowski", nameWithEvent(shortEvent("Tatort", "Borowski")));
  EXPECT_EQ("Tatort", nameWithEvent(shortEvent("Tatort", "Tatort")));
  EXPECT_EQ("Tatort", nameWithEvent(shortEvent("Tatort", "")));
  EXPECT_EQ(" - Borowski", nameWithEvent(shortEvent("", "Borowski")));
  EXPECT_EQ("news", nameWithEvent(shortEvent("", "")));
}

TEST_F(DisplayNameTest, FallsBackToTheFileNameWithoutUsableEventInformation) {
  EXPECT_EQ("news", getFileName("/hdd/movie/news.ts", "news.ts")) << "no event file";
  EXPECT_EQ("news", nameWithEvent({})) << "empty event file";
  EXPECT_EQ("news", nameWithEvent(Bytes(12, 0))) << "fixed part only";
  Bytes thirteen = EventBuilder().bytes();
  thirteen.push_back(0x4D);
  EXPECT_EQ("news", nameWithEvent(thirteen)) << "13 bytes, no whole descriptor";
  EXPECT_EQ("news", nameWithEvent(EventBuilder().extendedEvent("deu", dvbText("x")).bytes()))
      << "no short event descriptor";
}

TEST_F(DisplayNameTest, TheSmallestNamingEventIsRead) {
  Bytes event = shortEvent("X", "");
  ASSERT_EQ(20u, event.size());
  EXPECT_EQ("X", nameWithEvent(event));
}

TEST_F(DisplayNameTest, TheSettingOffOpensNoEventFile) {
  ASSERT_EQ(0, eConfig::instance()->setKey(kEitInfoKey, 0));
  int reads = 0;
  eString name = describeRecording("/hdd/movie/news.ts", "news.ts", [&reads](auto) {
    ++reads;
    return ssize_t{-1};
  });
  EXPECT_EQ("news", name);
  EXPECT_EQ(0, reads);
  EXPECT_EQ("news", nameWithEvent(shortEvent("Tatort", "Borowski")));
}

TEST_F(DisplayNameTest, AnySettingButZeroAllowsEventInformation) {
  ASSERT_EQ(0, eConfig::instance()->setKey(kEitInfoKey, 7));
  EXPECT_EQ("Tatort", nameWithEvent(shortEvent("Tatort", "")));
}

TEST_F(DisplayNameTest, OnlyTheFirstShortEventDescriptorCounts) {
  Bytes event = EventBuilder()
                    .extendedEvent("deu", dvbText("long text"))
                    .shortEvent("eng", dvbText("Crime scene"), {})
                    .shortEvent("deu", dvbText("Tatort"), {})
                    .bytes();
  EXPECT_EQ("Crime scene", nameWithEvent(event));
}

TEST_F(DisplayNameTest, OnlyTheFirst4096BytesAreRead) {
  Bytes beyond = EventBuilder().padTo(4096).shortEvent("deu", dvbText("X"), {}).bytes();
  EXPECT_EQ("news", nameWithEvent(beyond));
  Bytes within = EventBuilder().padTo(4096 - 8).shortEvent("deu", dvbText("X"), {}).bytes();
  ASSERT_EQ(4096u, within.size());
  EXPECT_EQ("X", nameWithEvent(within));
}

TEST_F(DisplayNameTest, ConvertsEachCharacterTableToUtf8) {
  EXPECT_EQ("Tagesschau", nameWithEvent(shortEvent("Tagesschau", "")));
  Bytes cyrillic =
      EventBuilder().shortEvent("rus", dvbText({0x01}, "\xBD\xDE\xD2\xDE\xE1\xE2\xD8"), {}).bytes();
  EXPECT_EQ("\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8", nameWithEvent(cyrillic));
  Bytes utf8 = EventBuilder()
                   .shortEvent("deu",
                               dvbText({0x15},
                                       "Gr\xC3\xB6\xC3\x9F"
                                       "e"),
                               {})
                   .bytes();
  EXPECT_EQ(
      "Gr\xC3\xB6\xC3\x9F"
      "e",
      nameWithEvent(utf8));
  Bytes ucs2 = EventBuilder()
                   .shortEvent("jpn", dvbText({0x11}, std::string_view("\x67\x71\x4E\xAC", 4)), {})
                   .bytes();
  EXPECT_EQ("\xE6\x9D\xB1\xE4\xBA\xAC", nameWithEvent(ucs2));
}

// Mends a fault: a title holding a line break broke the list file's line structure.
TEST_F(DisplayNameTest, ControlBytesBecomeBlanks) {
  EXPECT_EQ("Line Break - Tab Stop", nameWithEvent(shortEvent("Line\nBreak", "Tab\tStop")));
  root.file("news.eit", shortEvent("Evil\n#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/etc/passwd", ""));
  root.recording("news.ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  std::string list = *root.readRecordingsList();
  EXPECT_EQ(5, std::count(list.begin(), list.end(), '\n'));
  EXPECT_THAT(list, ::testing::HasSubstr("#DESCRIPTION: Evil #SERVICE: "));
}

// Mends a fault: "a.tsb.ts" looked for "a.eit" and was named "a".
TEST_F(DisplayNameTest, OnlyTheFinalTsIsDropped) {
  root.file("a.eit", shortEvent("Wrong", ""));
  EXPECT_EQ("a.tsb", getFileName("/hdd/movie/a.tsb.ts", "a.tsb.ts"));
  root.file("a.tsb.eit", shortEvent("Right", ""));
  EXPECT_EQ("Right", getFileName("/hdd/movie/a.tsb.ts", "a.tsb.ts"));
}

TEST_F(DisplayNameTest, TheRebuildNamesLikeTheLookup) {
  root.recording("with.ts", 100, shortEvent("Tatort", "Borowski"));
  root.recording("without.ts", 100);
  root.recording("odd.tsb.ts", 100, shortEvent("Odd", ""));
  ASSERT_EQ(1, recoverMovies(1));
  for (const DIRFILES& movie : DirMovieFile) {
    EXPECT_EQ(getFileName(movie.FullPath, movie.FileName), movie.Description) << movie.FileName;
  }
  EXPECT_EQ("Tatort - Borowski", DirMovieFile[1].Description);
}

}  // namespace
