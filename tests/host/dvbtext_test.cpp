// dvbTextToUtf8: the character tables of DVB text fields, their control codes, and fields
// that end early or select no known table.
#include "host/dvbtext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

namespace {

eString convert(std::vector<std::uint8_t> field) {
  return dvbTextToUtf8(field);
}

TEST(DvbTextTables, DefaultTableIsLatin1) {
  EXPECT_EQ("Sp\xC3\xA4t", convert({'S', 'p', 0xE4, 't'}));
}

TEST(DvbTextTables, Latin1SelectedInFull) {
  EXPECT_EQ("\xC3\xA4", convert({0x10, 0x00, 0x01, 0xE4}));
}

TEST(DvbTextTables, OneByteSelectorsChooseIso8859Parts) {
  EXPECT_EQ("\xD0\x90\xD0\xB1", convert({0x01, 0xB0, 0xD1}));  // 8859-5 Cyrillic: "Аб"
  EXPECT_EQ("\xCE\xA9", convert({0x03, 0xD9}));                // 8859-7 Greek: "Ω"
  EXPECT_EQ("\xC3\xA4\xC4\x9F", convert({0x05, 0xE4, 0xF0}));  // 8859-9 Turkish: "äğ"
  EXPECT_EQ("\xE2\x82\xAC", convert({0x0B, 0xA4}));            // 8859-15: "€"
}

TEST(DvbTextTables, ThreeByteSelectorChoosesAnyIso8859Part) {
  EXPECT_EQ("\xC4\x85", convert({0x10, 0x00, 0x02, 0xB1}));  // 8859-2: "ą"
  EXPECT_EQ("\xD0\x90", convert({0x10, 0x00, 0x05, 0xB0}));  // 8859-5: "А"
  EXPECT_EQ("\xE2\x82\xAC", convert({0x10, 0x00, 0x0F, 0xA4}));
}

TEST(DvbTextTables, Ucs2IsBigEndian) {
  EXPECT_EQ("A\xD0\x94", convert({0x11, 0x00, 0x41, 0x04, 0x14}));  // "AД"
}

TEST(DvbTextTables, Utf8PassesThrough) {
  EXPECT_EQ("K\xC3\xA4se \xE2\x82\xAC",
            convert({0x15, 'K', 0xC3, 0xA4, 's', 'e', ' ', 0xE2, 0x82, 0xAC}));
}

TEST(DvbTextTables, EastAsianTables) {
  EXPECT_EQ("\xEA\xB0\x80", convert({0x12, 0xB0, 0xA1}));  // KS X 1001: "가"
  EXPECT_EQ("\xE4\xB8\xAD", convert({0x13, 0xD6, 0xD0}));  // GB 2312: "中"
  EXPECT_EQ("\xE4\xB8\xAD", convert({0x14, 0xA4, 0xA4}));  // Big5: "中"
}

TEST(DvbTextControlCodes, DroppedFromOneByteTables) {
  // emphasis on, emphasis off, the DVB line break, and the ends of the range
  EXPECT_EQ("abcdef", convert({'a', 0x86, 'b', 0x87, 'c', 0x8A, 'd', 0x80, 'e', 0x9F, 'f'}));
  EXPECT_EQ("\xD0\x90\xD0\x91", convert({0x01, 0xB0, 0x8A, 0xB1}));
}

TEST(DvbTextControlCodes, DroppedFromUcs2) {
  EXPECT_EQ("AB", convert({0x11, 0x00, 0x41, 0xE0, 0x86, 0xE0, 0x8A, 0x00, 0x42}));
}

TEST(DvbTextControlCodes, DroppedFromUtf8) {
  EXPECT_EQ("AB", convert({0x15, 'A', 0xC2, 0x8A, 0xEE, 0x82, 0x86, 'B'}));
}

TEST(DvbTextFields, EmptyFieldIsEmptyString) {
  EXPECT_EQ("", convert({}));
  EXPECT_EQ("", convert({0x05}));
  EXPECT_EQ("", convert({0x10, 0x00, 0x01}));
}

TEST(DvbTextFields, SelectorCutShortReadsNothingBeyondTheField) {
  const std::vector<std::uint8_t> bytes{0x10, 0x00, 0x01, 0xE4};
  EXPECT_EQ("", dvbTextToUtf8(std::span(bytes).first(1)));
  EXPECT_EQ("", dvbTextToUtf8(std::span(bytes).first(2)));
  EXPECT_EQ("\xC3\xA4", dvbTextToUtf8(std::span(bytes)));
}

TEST(DvbTextFields, ReservedTablesGiveEmptyString) {
  EXPECT_EQ("", convert({0x00, 'a'}));
  EXPECT_EQ("", convert({0x08, 'a'}));              // would be ISO 8859-12
  EXPECT_EQ("", convert({0x10, 0x00, 0x0C, 'a'}));  // ISO 8859-12 does not exist
  EXPECT_EQ("", convert({0x10, 0x01, 0x01, 'a'}));
  EXPECT_EQ("", convert({0x1F, 0x01, 'a'}));
}

TEST(DvbTextFields, UnconvertibleBytesAreLeftOut) {
  EXPECT_EQ("ab", convert({0x15, 'a', 0xFF, 'b'}));
  EXPECT_EQ("ab", convert({0x15, 'a', 'b', 0xC3}));  // a character cut off at the end
  EXPECT_EQ("AB", convert({0x11, 0x00, 0x41, 0xD8, 0x00, 0x00, 0x42}));  // lone surrogate
  EXPECT_EQ("A", convert({0x11, 0x00, 0x41, 0x00}));                     // half a character
}

TEST(DvbTextFields, LongFieldConvertsWhole) {
  std::vector<std::uint8_t> field(3000, 0xE4);
  EXPECT_EQ(6000u, convert(field).size());
}

}  // namespace
