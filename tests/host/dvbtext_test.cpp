// dvbTextToUtf8: the character tables of DVB text fields, their control codes, and fields
// that end early or select no known table.
#include "host/dvbtext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

TEST(DvbText, ConvertsEachTableAndLeavesOutWhatItCannot) {
  const struct {
    std::vector<std::uint8_t> field;
    std::string expected;
  } cases[] = {
      {{'S', 'p', 0xE4, 't'}, "Sp\xC3\xA4t"},                        // no selector: Latin-1
      {{0x05, 0xE4, 0xF0}, "\xC3\xA4\xC4\x9F"},                      // 8859-9: "äğ"
      {{0x0B, 0xA4}, "\xE2\x82\xAC"},                                // 8859-15: "€"
      {{0x10, 0x00, 0x02, 0xB1}, "\xC4\x85"},                        // 8859-2 in full: "ą"
      {{0x12, 0xB0, 0xA1}, "\xEA\xB0\x80"},                          // KS X 1001: "가"
      {{0x13, 0xD6, 0xD0}, "\xE4\xB8\xAD"},                          // GB 2312: "中"
      {{0x14, 0xA4, 0xA4}, "\xE4\xB8\xAD"},                          // Big5: "中"
      {{'a', 0x86, 'b', 0x8A, 'c', 0x80, 'd', 0x9F, 'e'}, "abcde"},  // control codes
      {{0x11, 0x00, 0x41, 0xE0, 0x86, 0xE0, 0x8A, 0x00, 0x42}, "AB"},
      {{0x15, 'A', 0xC2, 0x8A, 0xEE, 0x82, 0x86, 'B'}, "AB"},
      {{}, ""},
      {{0x10, 0x00, 0x01}, ""},
      {{0x08, 'a'}, ""},  // reserved tables
      {{0x10, 0x00, 0x0C, 'a'}, ""},
      {{0x1F, 0x01, 'a'}, ""},
      {{0x15, 'a', 0xFF, 'b', 0xC3}, "ab"},                      // invalid and cut-off UTF-8
      {{0x11, 0x00, 0x41, 0xD8, 0x00, 0x00, 0x42, 0x00}, "AB"},  // lone surrogate, half a char
  };
  for (const auto& [field, expected] : cases) {
    EXPECT_EQ(expected, dvbTextToUtf8(field))
        << testing::PrintToString(std::vector<int>(field.begin(), field.end()));
  }
}

TEST(DvbText, SelectorCutShortReadsNothingBeyondTheField) {
  const std::vector<std::uint8_t> bytes{0x10, 0x00, 0x01, 0xE4};
  EXPECT_EQ("", dvbTextToUtf8(std::span(bytes).first(1)));
  EXPECT_EQ("", dvbTextToUtf8(std::span(bytes).first(2)));
  EXPECT_EQ("\xC3\xA4", dvbTextToUtf8(std::span(bytes)));
}

}  // namespace
