// Text for a terminal: measured in terminal columns and wrapped to a width (accented, Greek,
// Cyrillic and CJK text must take the columns a terminal gives it, whatever the locale, and an
// escape is never broken), and escaped where it may not reach the terminal as it is (shown as
// \xNN).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/terminal_escape.h"
#include "display/text_wrap.h"

namespace {

using namespace std::string_literals;

TEST(WrapToColumns, BreaksBetweenWordsAndInsideWordsLongerThanALine) {
  const struct {
    const char* name;
    std::string text;
    int columns;
    std::vector<std::string> lines;
  } cases[] = {
      {"empty text is one empty line", "", 10, {""}},
      {"blanks at a break are dropped", "aaa   bbb", 4, {"aaa", "bbb"}},
      {"leading blanks stay with the first word", "  abc def", 5, {"  abc", "def"}},
      {"a word longer than a line is broken", "abcdefghij", 4, {"abcd", "efgh", "ij"}},
      {"a long word fills the line it starts on", "ab cdefghij", 4, {"ab c", "defg", "hij"}},
      {"a wide character that does not fit goes on the next line",
       "abc 日本語",
       5,
       {"abc", "日本", "語"}},
      {"a combining accent stays with its letter",
       "e\u0301e\u0301e\u0301e\u0301e\u0301",
       4,
       {"e\u0301e\u0301e\u0301e\u0301", "e\u0301"}},
      {"an escape is never broken", "ab\\xE2\\x80\\x8Bcd", 6, {"ab\\xE2", "\\x80", "\\x8Bcd"}},
  };
  for (const auto& each : cases) {
    std::vector<std::string> lines;
    for (const TerminalLine& line : wrapToColumns(each.text, each.columns)) {
      lines.push_back(line.text);
      EXPECT_EQ(terminalColumns(line.text), line.columns) << each.name << ": " << line.text;
    }
    EXPECT_EQ(each.lines, lines) << each.name;
  }
}

TEST(CutToColumns, KeepsTheLongestStartThatFits) {
  const struct {
    const char* name;
    std::string text;
    int columns;
    std::string start;
  } cases[] = {
      {"short text whole", "abc", 5, "abc"},
      {"accented letters one column each", "Grüße", 3, "Grü"},
      {"no half of a CJK character", "日本語", 3, "日"},
      {"nothing", "abc", 0, ""},
      {"no half of an escape", "a\\x1Bb", 3, "a"},
  };
  for (const auto& each : cases) {
    const TerminalLine start = cutToColumns(each.text, each.columns);
    EXPECT_EQ(each.start, start.text) << each.name;
    EXPECT_EQ(terminalColumns(each.start), start.columns) << each.name;
  }
}

TEST(TerminalEscape, ControlsAndMalformedBytesAreShownByteForByte) {
  const struct {
    const char* what;
    std::string text;
    std::string shown;
  } cases[] = {
      {"plain text and a backslash", "Tatort - a\\b.ts", "Tatort - a\\b.ts"},
      {"accents, Cyrillic, CJK and four-byte characters", "Grüße Новости 東京 \xF0\x9F\x8E\xAC",
       "Grüße Новости 東京 \xF0\x9F\x8E\xAC"},
      {"clear screen, window title (OSC ... BEL)", "a\x1B[2J\x1B]0;owned\x07",
       "a\\x1B[2J\\x1B]0;owned\\x07"},
      {"line feed, tab, NUL and DEL", "a\nb\tc\0d\x7F"s, "a\\x0Ab\\x09c\\x00d\\x7F"},
      {"C1 controls: CSI and NEL as UTF-8", "\xC2\x9BJ\xC2\x85", "\\xC2\\x9BJ\\xC2\\x85"},
      {"U+00A0 is printable", "\xC2\xA0", "\xC2\xA0"},
      {"overlong forms, a surrogate, beyond U+10FFFF",
       "\xC0\xAF\xE0\x9F\xBF\xF0\x8F\xBF\xBF\xED\xA0\x80\xF4\x90\x80\x80",
       "\\xC0\\xAF\\xE0\\x9F\\xBF\\xF0\\x8F\\xBF\\xBF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80"},
      {"cut off at the end", "ab\xE6\x9D", "ab\\xE6\\x9D"},
      {"Latin-1 byte, a lone C1 byte", "M\xFCller\x9B", "M\\xFCller\\x9B"},
      {"joiners, soft hyphen and the neighbours of the ranges stay",
       "\u200C\u200D\u00AD\u2027\u202F\u2065\u206A", "\u200C\u200D\u00AD\u2027\u202F\u2065\u206A"},
  };
  for (const auto& [what, text, shown] : cases) EXPECT_EQ(shown, escapeForTerminal(text)) << what;
}

}  // namespace
