// escapeForTerminal: what may reach the terminal as it is, and what is shown as \xNN.
#include "runner/terminal_escape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(TerminalEscape, ControlsAndMalformedBytesAreShownByteForByte) {
  const struct {
    const char* what;
    std::string text;
    std::string shown;
  } cases[] = {
      {"plain text and a backslash", "Tatort - a\\b.ts", "Tatort - a\\b.ts"},
      {"accents, Cyrillic, CJK and four-byte characters", "Grüße Новости 東京 \xF0\x9F\x8E\xAC",
       "Grüße Новости 東京 \xF0\x9F\x8E\xAC"},
      {"clear screen", "a\x1B[2Jb", "a\\x1B[2Jb"},
      {"window title (OSC ... BEL)", "\x1B]0;owned\x07", "\\x1B]0;owned\\x07"},
      {"line feed, tab, NUL and DEL", "a\nb\tc\0d\x7F"s, "a\\x0Ab\\x09c\\x00d\\x7F"},
      {"C1 controls: CSI and NEL as UTF-8",
       "\xC2\x9B"
       "2J\xC2\x85",
       "\\xC2\\x9B2J\\xC2\\x85"},
      {"U+00A0 is printable", "\xC2\xA0", "\xC2\xA0"},
      {"a lone C1 byte",
       "a\x9B"
       "b",
       "a\\x9Bb"},
      {"overlong slash", "\xC0\xAF", "\\xC0\\xAF"},
      {"surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
      {"cut off at the end", "ab\xE6\x9D", "ab\\xE6\\x9D"},
      {"Latin-1 byte", "M\xFCller", "M\\xFCller"},
  };
  for (const auto& [what, text, shown] : cases) EXPECT_EQ(shown, escapeForTerminal(text)) << what;
}

}  // namespace
