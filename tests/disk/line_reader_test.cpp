// The host's one line splitter: a file's lines and a shown text's lines, whatever pieces the
// text arrives in.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "disk/line_reader.h"

namespace {

using Lines = std::vector<std::string>;

// The lines of `text` handed over in two pieces, cut before byte `cut`.
Lines linesInPieces(std::string_view text, std::size_t cut, bool shown) {
  Lines lines;
  disk::LineReader reader([&lines](std::string_view line) { lines.emplace_back(line); });
  reader.take(text.substr(0, cut));
  reader.take(text.substr(cut));
  shown ? reader.finishShown() : reader.finishFile();
  return lines;
}

TEST(LineReader, SplitsTheSameWholeAndInEveryTwoPieces) {
  const struct {
    std::string_view text;
    Lines fileLines;
    Lines shownLines;
  } cases[] = {
      {"", {}, {""}},
      {"a", {"a"}, {"a"}},
      {"a\n", {"a"}, {"a", ""}},
      {"a\n\nb", {"a", "", "b"}, {"a", "", "b"}},
      {"\n", {""}, {"", ""}},
      {"a\r\nb\r", {"a\r", "b\r"}, {"a\r", "b\r"}},  // a CR is left to the reader
  };
  for (const auto& each : cases) {
    for (const bool shown : {false, true}) {
      SCOPED_TRACE(std::string(each.text) + (shown ? " shown" : " as a file"));
      const Lines& expected = shown ? each.shownLines : each.fileLines;
      Lines whole;
      (shown ? disk::forEachShownLine : disk::forEachFileLine)(
          each.text, [&whole](std::string_view line) { whole.emplace_back(line); });
      EXPECT_EQ(expected, whole);
      for (std::size_t cut = 0; cut <= each.text.size(); ++cut)
        EXPECT_EQ(expected, linesInPieces(each.text, cut, shown)) << "cut at " << cut;
    }
  }
}

}  // namespace
