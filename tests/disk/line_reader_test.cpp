// The host's one line splitter: a file's lines and a shown text's lines, whatever pieces the
// text arrives in.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "disk/line_reader.h"

namespace {

using Lines = std::vector<std::string>;

// The lines of `text` handed over in pieces cut before every byte offset in `cuts`.
Lines linesInPieces(std::string_view text, const std::vector<std::size_t>& cuts, bool shown) {
  Lines lines;
  disk::LineReader reader([&lines](std::string_view line) { lines.emplace_back(line); });
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    reader.take(text.substr(from, cut - from));
    from = cut;
  }
  reader.take(text.substr(from));
  shown ? reader.finishShown() : reader.finishFile();
  return lines;
}

struct LineCase {
  const char* name;
  std::string_view text;
  Lines fileLines;
  Lines shownLines;
};

class LineReaderTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineReaderTest, SplitsTheSameWholeAndInEveryTwoPieces) {
  const LineCase& each = GetParam();
  Lines file;
  disk::forEachFileLine(each.text, [&file](std::string_view line) { file.emplace_back(line); });
  Lines shown;
  disk::forEachShownLine(each.text, [&shown](std::string_view line) { shown.emplace_back(line); });
  EXPECT_EQ(each.fileLines, file);
  EXPECT_EQ(each.shownLines, shown);
  for (std::size_t cut = 0; cut <= each.text.size(); ++cut) {
    EXPECT_EQ(each.fileLines, linesInPieces(each.text, {cut}, false)) << "cut at " << cut;
    EXPECT_EQ(each.shownLines, linesInPieces(each.text, {cut}, true)) << "cut at " << cut;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineReaderTest,
    ::testing::Values(
        LineCase{"Empty", "", {}, {""}}, LineCase{"OneLineUnended", "a", {"a"}, {"a"}},
        LineCase{"OneLineEnded", "a\n", {"a"}, {"a", ""}},
        LineCase{"BlankLinesKept", "a\n\nb", {"a", "", "b"}, {"a", "", "b"}},
        LineCase{"OnlyABreak", "\n", {""}, {"", ""}},
        LineCase{"CarriageReturnLeftToTheReader", "a\r\nb\r", {"a\r", "b\r"}, {"a\r", "b\r"}}),
    [](const ::testing::TestParamInfo<LineCase>& row) { return std::string(row.param.name); });

TEST(LineReader, ALineCutIntoManyPiecesArrivesWhole) {
  EXPECT_EQ((Lines{"abcdef", "gh"}), linesInPieces("abcdef\ngh", {1, 2, 4, 5, 6, 8}, false));
}

}  // namespace
