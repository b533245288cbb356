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
    SCOPED_TRACE(each.text);
    Lines file;
    disk::forEachFileLine(each.text, [&file](std::string_view line) { file.emplace_back(line); });
    Lines shown;
    disk::forEachShownLine(each.text,
                           [&shown](std::string_view line) { shown.emplace_back(line); });
    EXPECT_EQ(each.fileLines, file);
    EXPECT_EQ(each.shownLines, shown);
    for (std::size_t cut = 0; cut <= each.text.size(); ++cut) {
      EXPECT_EQ(each.fileLines, linesInPieces(each.text, cut, false)) << "cut at " << cut;
      EXPECT_EQ(each.shownLines, linesInPieces(each.text, cut, true)) << "cut at " << cut;
    }
  }
}

}  // namespace
