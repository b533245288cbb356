#include "dvbtext/dvb_table00.h"

#include "dvbtext/utf8.h"

namespace dvb {
namespace {

// Figure A.1 from 0xA0 to 0xFF, one row of sixteen a line; 0 where the table leaves the
// position empty, and for the marks, which follow in a table of their own.
constexpr char16_t kUpperHalf[96] = {
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x20AC, 0x00A5, 0,      0x00A7,  // A0
    0x00A4, 0x2018, 0x201C, 0x00AB, 0x2190, 0x2191, 0x2192, 0x2193,  // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00D7, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00F7, 0x2019, 0x201D, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // B8
    0,      0,      0,      0,      0,      0,      0,      0,       // C0: marks
    0,      0,      0,      0,      0,      0,      0,      0,       // C8: marks
    0x2015, 0x00B9, 0x00AE, 0x00A9, 0x2122, 0x266A, 0x00AC, 0x00A6,  // D0
    0,      0,      0,      0,      0x215B, 0x215C, 0x215D, 0x215E,  // D8
    0x2126, 0x00C6, 0x0110, 0x00AA, 0x0126, 0,      0x0132, 0x013F,  // E0
    0x0141, 0x00D8, 0x0152, 0x00BA, 0x00DE, 0x0166, 0x014A, 0x0149,  // E8
    0x0138, 0x00E6, 0x0111, 0x00F0, 0x0127, 0x0131, 0x0133, 0x0140,  // F0
    0x0142, 0x00F8, 0x0153, 0x00DF, 0x00FE, 0x0167, 0x014B, 0x00AD,  // F8
};

// A non-spacing mark of row C: the Unicode combining mark it stands for before a character,
// and the spacing accent it makes with a blank. Both 0 where the row leaves the position
// empty (0xC0, 0xC9, 0xCC).
struct Mark {
  char16_t combining;
  char16_t spacing;
};

constexpr Mark kMarks[16] = {
    {0, 0},           {0x0300, 0x0060},
    {0x0301, 0x00B4}, {0x0302, 0x005E},  // -, grave, acute, ^
    {0x0303, 0x007E}, {0x0304, 0x00AF},
    {0x0306, 0x02D8}, {0x0307, 0x02D9},  // ~, macron, breve, dot
    {0x0308, 0x00A8}, {0, 0},
    {0x030A, 0x02DA}, {0x0327, 0x00B8},  // diaeresis, -, ring, cedilla
    {0, 0},           {0x030B, 0x02DD},
    {0x0328, 0x02DB}, {0x030C, 0x02C7},  // -, double acute, ogonek, caron
};

constexpr std::uint8_t kLineBreak = 0x8A;

bool isMarkRow(std::uint8_t byte) {
  return byte >= 0xC0 && byte <= 0xCF;
}

// The character a byte outside row C stands for; 0 for a control code and an empty position.
char32_t characterOf(std::uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xA0) return 0;
  return kUpperHalf[byte - 0xA0];
}

// A character a mark can stand on: a graphic character of the table, not a blank.
bool isMarkable(std::uint8_t byte) {
  return byte > 0x20 && byte != 0x7F && !isMarkRow(byte) && characterOf(byte) != 0;
}

// Appends what the mark at the front of `rest` makes with the byte after it; returns how many
// bytes that took.
std::size_t appendMarked(std::string& out, std::span<const std::uint8_t> rest) {
  const Mark& mark = kMarks[rest[0] - 0xC0];
  if (mark.combining == 0 || rest.size() < 2) return 1;
  const std::uint8_t next = rest[1];
  if (next == ' ') {
    utf8::append(out, mark.spacing);
    return 2;
  }
  if (!isMarkable(next)) return 1;
  utf8::append(out, characterOf(next));
  utf8::append(out, mark.combining);
  return 2;
}

}  // namespace

std::string decodeTable00(std::span<const std::uint8_t> text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  while (!text.empty()) {
    const std::uint8_t byte = text[0];
    std::size_t used = 1;
    if (isMarkRow(byte)) {
      used = appendMarked(out, text);
    } else if (byte == kLineBreak) {
      out += ' ';
    } else if (const char32_t character = characterOf(byte); character != 0 || byte == 0) {
      utf8::append(out, character);
    }
    text = text.subspan(used);
  }
  return out;
}

}  // namespace dvb
