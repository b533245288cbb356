// Display names: from the event file's short event descriptor when allowed and present, else
// from the file name.
#include <gmock/gmock.h>

#include <fstream>
#include <map>

#include "dvbtext/dvbtext.h"
#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/support/open_watch.h"
#include "tests/support/receiver_fixture.h"

namespace {

using fixtures::Bytes;
using fixtures::dvbText;
using fixtures::EventBuilder;

Bytes shortEvent(const Bytes& name, const Bytes& text) {
  return EventBuilder().shortEvent("deu", name, text).bytes();
}

Bytes shortEvent(std::string_view name, std::string_view text) {
  return shortEvent(dvbText(name), dvbText(text));
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
  Bytes thirteen = EventBuilder().bytes();
  thirteen.push_back(0x4D);
  const struct {
    const char* what;
    Bytes event;
    const char* expected;
  } cases[] = {
      {"name and text", shortEvent("Tatort", "Borowski"), "Tatort - Borowski"},
      {"text equal to the name", shortEvent("Tatort", "Tatort"), "Tatort"},
      {"empty text", shortEvent("Tatort", ""), "Tatort"},
      {"empty name", shortEvent("", "Borowski"), " - Borowski"},
      {"both empty", shortEvent("", ""), "news"},
      {"smallest naming event, 20 bytes", shortEvent("X", ""), "X"},
      {"empty file", {}, "news"},
      {"fixed part only", Bytes(12, 0), "news"},
      {"13 bytes, no whole descriptor", thirteen, "news"},
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
      {"ISO 8859-5", shortEvent(dvbText({0x01}, "\xBD\xDE\xD2\xDE\xE1\xE2\xD8"), {}),
       "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"},
      // Mends a fault: a title holding a line break broke the list file's line structure.
      {"control bytes", shortEvent("Line\nBreak", "Tab\tStop"), "Line Break - Tab Stop"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, nameWithEvent(c.event)) << c.what;
  std::filesystem::remove(root.movieDirectory() / "news.eit");
  EXPECT_EQ("news", getFileName("/hdd/movie/news.ts", "news.ts")) << "no event file";
}

TEST_F(DisplayNameTest, TheSettingOffOpensNoEventFileAndAnyOtherValueAllowsIt) {
  root.file("news.eit", shortEvent("Tatort", ""));
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
  std::ofstream(root.root() / "config") << "/host/dvb/default_table=2\n";
  eConfig::instance()->open(root.root() / "config");
  EXPECT_EQ("\u010CUbersee", nameWithEvent(shortEvent("\xC8Ubersee", "")));
}

}  // namespace
