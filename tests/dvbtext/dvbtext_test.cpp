// dvbTextToUtf8: the character tables of DVB text fields, their control codes, and fields
// that end early or select no known table. Expected characters are those of the tables as the
// standards print them (table 00: EN 300 468 figure A.1, which is ISO/IEC 6937 with the euro
// sign), in Unicode's composed form.
#include "dvbtext/dvbtext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct TextCase {
  const char* what;
  std::vector<std::uint8_t> field;
  std::string expected;
  int defaultTable = 0;  // the host's table for text without a selector
};

void expectDecoded(const std::vector<TextCase>& cases) {
  for (const auto& [what, field, expected, defaultTable] : cases)
    EXPECT_EQ(expected, dvbTextToUtf8(field, defaultTable)) << what;
}

// Every non-spacing mark of table 00 on "q", where Unicode has no accented letter and the
// letter takes the combining mark; on letters where Unicode has the accented letter as one
// character; and a mark without a letter.
TEST(DvbText, EachMarkOfTable00CombinesWithTheLetterAfterItAndWithoutOneStandsAloneOrVanishes) {
  expectDecoded({
      {"every mark",
       {0xC1, 'q',  0xC2, 'q',  0xC3, 'q',  0xC4, 'q',  0xC5, 'q',  0xC6, 'q',  0xC7,
        'q',  0xC8, 'q',  0xCA, 'q',  0xCB, 'q',  0xCD, 'q',  0xCE, 'q',  0xCF, 'q'},
       "q\u0300q\u0301q\u0302q\u0303q\u0304q\u0306q\u0307"
       "q\u0308q\u030Aq\u0327q\u030Bq\u0328q\u030C"},
      {"capital letters",
       {'M', 0xC8, 'U', 'L', 'L', 'E', 'R', ' ', 0xCF, 'S'},
       "M\u00DCLLER \u0160"},
      {"a mark on a letter of the upper half", {0xC2, 0xE9}, "\u01FE"},
      // ISO/IEC 6937: a mark followed by a blank is the accent alone, as a spacing character. A
      // mark with nothing to stand on vanishes and leaves what follows it alone.
      {"acute before a blank", {'a', 0xC2, ' ', 'b'}, "a\u00B4b"},
      {"diaeresis before a blank", {0xC8, ' '}, "\u00A8"},
      {"caron before a blank", {0xCF, ' ', 'x'}, "\u02C7x"},
      {"at the end of the field", {'M', 'u', 0xC8}, "Mu"},
      {"alone", {0xC8}, ""},
      {"before another mark", {0xC2, 0xC8, 'u'}, "\u00FC"},
      {"before a line break", {'a', 0xC8, 0x8A, 'b'}, "a b"},
      {"before an emphasis code", {0xC8, 0x86, 'u'}, "u"},
      {"before an empty position", {0xC8, 0xA6, 'u'}, "u"},
  });
}

TEST(DvbText, Table00ReadsFigureA1WhereOtherTablesDiffer) {
  expectDecoded({
      {"euro sign, currency sign", {'5', ' ', 0xA4, 0xA8}, "5 \u20AC\u00A4"},
      {"sharp s", {'S', 't', 'r', 'a', 0xFB, 'e'}, "Stra\u00DFe"},
      {"horizontal bar, D and L with stroke",
       {0xD0, 0xE2, 0xF2, 0xE8, 0xF8},
       "\u2015\u0110\u0111\u0141\u0142"},
      {"quotation marks", {0xA9, 0xB9, 0xAA, 0xBA}, "\u2018\u2019\u201C\u201D"},
      {"ohm sign, whose composed form is omega", {0xE0}, "\u03A9"},
      {"soft hyphen", {'a', 0xFF, 'b'}, "a\u00ADb"},
      // Latin-1 as a broadcaster may send it unmarked: 0xE4 and 0xFC are no umlauts here.
      {"Latin-1 bytes", {'S', 'p', 0xE4, 't'}, "Sp\u0126t"},
      {"empty positions", {'a', 0xA6, 0xC9, 'b', 0xCC, 'c', 0xD8, 0xE5, 'd'}, "abcd"},
  });
}

// Each field is a vector of exactly its size, so that a read past a selector cut short is one
// that AddressSanitizer sees.
TEST(DvbText, ConvertsEachSelectedTableAndLeavesOutWhatItCannot) {
  expectDecoded({
      {"ISO 8859-9", {0x05, 0xE4, 0xF0}, "\u00E4\u011F"},
      {"ISO 8859-15", {0x0B, 0xA4}, "\u20AC"},
      {"ISO 8859-2 in full", {0x10, 0x00, 0x02, 0xB1}, "\u0105"},
      {"KS X 1001", {0x12, 0xB0, 0xA1}, "\uAC00"},
      {"GB 2312", {0x13, 0xD6, 0xD0}, "\u4E2D"},
      {"Big5", {0x14, 0xA4, 0xA4}, "\u4E2D"},
      {"UTF-8, decomposed", {0x15, 'u', 0xCC, 0x88}, "\u00FC"},
      {"UCS-2, decomposed", {0x11, 0x00, 'u', 0x03, 0x08}, "\u00FC"},
      {"empty", {}, ""},
      {"selector only", {0x10, 0x00, 0x01}, ""},
      {"invalid and cut-off UTF-8", {0x15, 'a', 0xFF, 'b', 0xC3}, "ab"},
      {"UTF-8 beyond U+10FFFF",
       {0x15, 'a',  0xF4, 0x90, 0x80, 0x80, 'b',  0xF9, 0xAA, 0xAA, 0xAA, 0xAA,
        'c',  0xFC, 0x84, 0x80, 0x80, 0x80, 0x80, 'd',  0xF0, 0x9F, 0x8E, 0xAC},
       "abcd\U0001F3AC"},
      {"lone surrogate, half a character", {0x11, 0x00, 0x41, 0xD8, 0x00, 0x00, 0x42, 0x00}, "AB"},
      // The line break is a blank, and the other control codes vanish, in every table.
      {"controls in table 00",
       {'T', 'e', 'i', 'l', ' ', '1', 0x8A, 0x86, 'N', 0x87, 'a', 0x80, 'b', 0x85, 'c', 0x9F, 'd'},
       "Teil 1 Nabcd"},
      {"controls in ISO 8859-1", {0x10, 0x00, 0x01, 'a', 0x8A, 'b', 0x86, 0xFC, 0x87}, "a b\u00FC"},
      {"controls in ISO 8859-5", {0x01, 0xBD, 0x8A, 0xDE}, "\u041D \u043E"},
      {"controls in UCS-2",
       {0x11, 0x00, 0x41, 0xE0, 0x8A, 0x00, 0x42, 0xE0, 0x86, 0x00, 0xFC, 0xE0, 0x87},
       "A B\u00FC"},
      {"controls in UTF-8",
       {0x15, 'A', 0xEE, 0x82, 0x8A, 'B', 0xC2, 0x8A, 'C', 0xEE, 0x82, 0x86, 'D'},
       "A B CD"},
      // A table this host cannot decode gives an empty field, never bytes read in another table.
      {"selector's first byte only", {0x10}, ""},
      {"selector without its table", {0x10, 0x00}, ""},
      {"reserved one-byte selector", {0x08, 'a'}, ""},
      {"reserved 0x0C", {0x0C, 'a'}, ""},
      {"reserved 0x16", {0x16, 'a'}, ""},
      {"encoding type id", {0x1F, 0x01, 'a'}, ""},
      {"no part 12 of ISO 8859", {0x10, 0x00, 0x0C, 'a'}, ""},
      {"no part 0", {0x10, 0x00, 0x00, 'a'}, ""},
      {"second byte not 0", {0x10, 0x01, 0x01, 'a'}, ""},
      {"0x00", {0x00, 'a'}, ""},
  });
}

// For broadcasters that send another table without a selector: the host's setting names it by
// its part of ISO 8859; a selector in the field still rules.
TEST(DvbText, TheDefaultTableReadsUnmarkedTextInThePartOfIso8859ItNames) {
  const std::vector<std::uint8_t> unmarked{'M', 0xFC, 'l', 'l', 'e', 'r', ' ', 0xA4, 0x8A, '!'};
  expectDecoded({
      {"table 00, where 0xFC is a thorn", unmarked, "M\u00FEller \u20AC !"},
      {"ISO 8859-1", unmarked, "M\u00FCller \u00A4 !", 1},
      {"ISO 8859-15", unmarked, "M\u00FCller \u20AC !", 15},
      {"ISO 8859-5", unmarked, "M\u045Cller \u0404 !", 5},
      {"no such part: table 00", unmarked, "M\u00FEller \u20AC !", 12},
      {"a selector rules", {0x05, 0xFC}, "\u00FC", 5},
  });
}

}  // namespace
