#include "host/dvbtext.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>

// The table selection is done here rather than by libdvbv5's short event parser, which reads
// UCS-2 in the wrong byte order, reads past a field that ends inside its selector and turns
// the DVB line break into a line feed.
namespace {

// The character table a field selects: the iconv name of its encoding, how many leading
// bytes select it, and how many bytes one character of it takes at least.
struct CharacterTable {
  const char* encoding = nullptr;  // null: a reserved or unknown table
  std::size_t selectorLength = 0;
  std::size_t unitLength = 1;
};

constexpr const char* kIso8859[] = {nullptr,      "ISO-8859-1",  "ISO-8859-2",  "ISO-8859-3",
                                    "ISO-8859-4", "ISO-8859-5",  "ISO-8859-6",  "ISO-8859-7",
                                    "ISO-8859-8", "ISO-8859-9",  "ISO-8859-10", "ISO-8859-11",
                                    nullptr,      "ISO-8859-13", "ISO-8859-14", "ISO-8859-15"};

// 0x10 0x00 0xNN: ISO 8859-N, given in full.
CharacterTable selectIso8859(std::span<const std::uint8_t> field) {
  if (field.size() < 3 || field[1] != 0x00 || field[2] >= std::size(kIso8859)) return {};
  return {kIso8859[field[2]], 3, 1};
}

CharacterTable selectTable(std::span<const std::uint8_t> field) {
  const std::uint8_t first = field.front();
  // Without a selector the text is Latin-1, as broadcasters here send it.
  if (first >= 0x20) return {"ISO-8859-1", 0, 1};
  if (first >= 0x01 && first <= 0x0B) return {kIso8859[first + 4], 1, 1};
  switch (first) {
    case 0x10:
      return selectIso8859(field);
    case 0x11:
      return {"UCS-2BE", 1, 2};
    case 0x12:
      return {"EUC-KR", 1, 1};
    case 0x13:
      return {"GB2312", 1, 1};
    case 0x14:
      return {"BIG5", 1, 1};
    case 0x15:
      return {"UTF-8", 1, 1};
    default:
      return {};
  }
}

// Converts `text` from `table` to UTF-8, leaving out what cannot be converted.
std::string convert(std::span<const std::uint8_t> text, const CharacterTable& table) {
  iconv_t converter = iconv_open("UTF-8", table.encoding);
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string result;
  char buffer[512];
  // iconv takes its input through a pointer to non-const but never writes to it.
  char* input = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
  std::size_t inputLeft = text.size();
  while (inputLeft > 0) {
    char* output = buffer;
    std::size_t outputLeft = sizeof buffer;
    const std::size_t converted = iconv(converter, &input, &inputLeft, &output, &outputLeft);
    result.append(buffer, static_cast<std::size_t>(output - buffer));
    if (converted != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    if (errno != EILSEQ) break;  // a character cut off by the end of the field
    const std::size_t skipped = std::min(table.unitLength, inputLeft);
    input += skipped;
    inputLeft -= skipped;
  }
  iconv_close(converter);
  return result;
}

// The length of the control code that `rest` starts with, or 0. The one-byte tables have
// their control codes at U+0080 to U+009F, the two-byte tables at U+E080 to U+E09F.
std::size_t controlCodeLength(std::string_view rest) {
  const auto at = [rest](std::size_t index) {
    return index < rest.size() ? static_cast<std::uint8_t>(rest[index]) : std::uint8_t{0};
  };
  const auto isControlTail = [](std::uint8_t byte) { return byte >= 0x80 && byte <= 0x9F; };
  if (at(0) == 0xC2 && isControlTail(at(1))) return 2;
  if (at(0) == 0xEE && at(1) == 0x82 && isControlTail(at(2))) return 3;
  return 0;
}

// The bytes that may follow a lead byte in a well-formed UTF-8 character: how many, and the
// range of the first of them (the others lie in 0x80 to 0xBF). Length 0: no lead byte.
struct LeadByte {
  std::size_t length = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
};

LeadByte leadByte(std::uint8_t byte) {
  if (byte < 0x80) return {1};
  if (byte >= 0xC2 && byte <= 0xDF) return {2};
  if (byte == 0xE0) return {3, 0xA0};        // no overlong forms
  if (byte == 0xED) return {3, 0x80, 0x9F};  // no surrogates
  if (byte >= 0xE1 && byte <= 0xEF) return {3};
  if (byte == 0xF0) return {4, 0x90};  // no overlong forms
  if (byte >= 0xF1 && byte <= 0xF3) return {4};
  if (byte == 0xF4) return {4, 0x80, 0x8F};  // nothing above U+10FFFF
  return {};
}

// The length of the well-formed UTF-8 character that `rest` starts with, or 0. iconv reads
// UTF-8 input in forms that reach beyond U+10FFFF and writes them out again.
std::size_t characterLength(std::string_view rest) {
  const LeadByte lead = leadByte(static_cast<std::uint8_t>(rest.front()));
  if (lead.length == 0 || rest.size() < lead.length) return 0;
  for (std::size_t index = 1; index < lead.length; ++index) {
    const auto byte = static_cast<std::uint8_t>(rest[index]);
    if (byte < (index == 1 ? lead.low : 0x80) || byte > (index == 1 ? lead.high : 0xBF)) return 0;
  }
  return lead.length;
}

// `text` without the table's control codes, and without the bytes of anything that is not a
// well-formed UTF-8 character.
eString withoutControlCodes(std::string_view text) {
  eString result;
  result.reserve(text.size());
  while (!text.empty()) {
    const std::size_t control = controlCodeLength(text);
    const std::size_t character = control == 0 ? characterLength(text) : 0;
    result.append(text.substr(0, character));
    text.remove_prefix(control != 0 ? control : std::max<std::size_t>(character, 1));
  }
  return result;
}

// Plain ASCII reads the same in every table of one-byte units and holds none of their control
// codes: it needs no converter, which costs more to open than most titles take to copy.
bool isPlainAscii(std::span<const std::uint8_t> text, const CharacterTable& table) {
  return table.unitLength == 1 &&
         std::all_of(text.begin(), text.end(), [](std::uint8_t byte) { return byte < 0x80; });
}

}  // namespace

eString dvbTextToUtf8(std::span<const std::uint8_t> field) {
  if (field.empty()) return {};
  const CharacterTable table = selectTable(field);
  if (table.encoding == nullptr) return {};
  const std::span<const std::uint8_t> text = field.subspan(table.selectorLength);
  if (isPlainAscii(text, table)) return eString(text.begin(), text.end());
  return withoutControlCodes(convert(text, table));
}
