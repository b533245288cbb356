#include "dvbtext/dvbtext.h"

#include <iconv.h>
#include <utf8proc.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "dvbtext/dvb_table00.h"
#include "dvbtext/utf8.h"

// The table selection is done here rather than by libdvbv5's short event parser, which reads
// UCS-2 in the wrong byte order, reads past a field that ends inside its selector and turns
// the DVB line break into a line feed. Table 00 is decoded by the host itself: the C library's
// ISO 6937 converter has no euro sign, differs from figure A.1 in a few positions and rejects
// a mark on a letter that has no precomposed form.
namespace {

// The tables that the C library converts, each with the converter of this process.
enum class Table : std::size_t {
  kIso8859First = 0,  // ISO 8859-1 to 8859-15 follow in order of their part numbers
  kUcs2 = 15,
  kEucKr,
  kGb2312,
  kBig5,
  kUtf8,
  kCount
};

constexpr const char* kEncodings[] = {"ISO-8859-1",  "ISO-8859-2",  "ISO-8859-3",  "ISO-8859-4",
                                      "ISO-8859-5",  "ISO-8859-6",  "ISO-8859-7",  "ISO-8859-8",
                                      "ISO-8859-9",  "ISO-8859-10", "ISO-8859-11", nullptr,
                                      "ISO-8859-13", "ISO-8859-14", "ISO-8859-15", "UCS-2BE",
                                      "EUC-KR",      "GB2312",      "BIG5",        "UTF-8"};
static_assert(std::size(kEncodings) == static_cast<std::size_t>(Table::kCount));

// What a field's first bytes select: table 00, a table of the C library (with how many bytes
// one of its characters takes at least), or nothing this host can decode.
struct Selection {
  enum class Kind { kTable00, kConverted, kUndecodable } kind = Kind::kUndecodable;
  Table table = Table::kIso8859First;
  std::size_t selectorLength = 0;
  std::size_t unitLength = 1;
};

constexpr Selection kUndecodable{};

// ISO 8859-`part`, or nothing for a part that does not exist.
Selection iso8859(int part, std::size_t selectorLength) {
  if (part < 1 || part > 15 || kEncodings[part - 1] == nullptr) return kUndecodable;
  return {Selection::Kind::kConverted,
          static_cast<Table>(static_cast<std::size_t>(Table::kIso8859First) + part - 1),
          selectorLength};
}

Selection converted(Table table, std::size_t unitLength = 1) {
  return {Selection::Kind::kConverted, table, 1, unitLength};
}

Selection select(std::span<const std::uint8_t> field, int defaultTable) {
  const std::uint8_t first = field.front();
  if (first >= 0x20) {
    const Selection unmarked = iso8859(defaultTable, 0);
    return unmarked.kind == Selection::Kind::kConverted ? unmarked
                                                        : Selection{Selection::Kind::kTable00};
  }
  if (first >= 0x01 && first <= 0x0B) return iso8859(first + 4, 1);
  switch (first) {
    case 0x10:  // 0x10 0x00 0xNN: ISO 8859-N, given in full
      return field.size() >= 3 && field[1] == 0x00 ? iso8859(field[2], 3) : kUndecodable;
    case 0x11:
      return converted(Table::kUcs2, 2);
    case 0x12:
      return converted(Table::kEucKr);
    case 0x13:
      return converted(Table::kGb2312);
    case 0x14:
      return converted(Table::kBig5);
    case 0x15:
      return converted(Table::kUtf8);
    default:
      return kUndecodable;
  }
}

// One converter a table, opened on first use and kept for the life of the process: opening
// one costs more than converting most titles.
class Converters {
 public:
  Converters() { converters_.fill(kNone); }
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;
  ~Converters() {
    for (iconv_t converter : converters_) {
      if (converter != kNone) iconv_close(converter);
    }
  }

  // The table's converter in its initial state; kNone when the C library has none.
  iconv_t operator[](Table table) {
    iconv_t& converter = converters_[static_cast<std::size_t>(table)];
    if (converter == kNone)
      converter = iconv_open("UTF-8", kEncodings[static_cast<std::size_t>(table)]);
    if (converter != kNone) iconv(converter, nullptr, nullptr, nullptr, nullptr);
    return converter;
  }

  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

 private:
  std::array<iconv_t, static_cast<std::size_t>(Table::kCount)> converters_;
};

Converters& converters() {
  static Converters all;
  return all;
}

// Converts `text` from the selected table to UTF-8, leaving out what cannot be converted.
std::string convert(std::span<const std::uint8_t> text, const Selection& selection) {
  iconv_t converter = converters()[selection.table];
  if (converter == Converters::kNone) return {};
  std::string result;
  char buffer[512];
  // iconv takes its input through a pointer to non-const but never writes to it.
  char* input = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
  std::size_t inputLeft = text.size();
  while (inputLeft > 0) {
    char* output = buffer;
    std::size_t outputLeft = sizeof buffer;
    const std::size_t count = iconv(converter, &input, &inputLeft, &output, &outputLeft);
    result.append(buffer, static_cast<std::size_t>(output - buffer));
    if (count != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    if (errno != EILSEQ) break;  // a character cut off by the end of the field
    const std::size_t skipped = std::min(selection.unitLength, inputLeft);
    input += skipped;
    inputLeft -= skipped;
  }
  return result;
}

// The control code that `rest` starts with: how many bytes it takes, and whether it is the
// DVB line break. The one-byte tables have their control codes at U+0080 to U+009F, the
// two-byte tables at U+E080 to U+E09F; the line break is U+008A or U+E08A.
struct ControlCode {
  std::size_t length = 0;  // 0: no control code
  bool lineBreak = false;
};

ControlCode controlCode(std::string_view rest) {
  const auto at = [rest](std::size_t index) {
    return index < rest.size() ? static_cast<std::uint8_t>(rest[index]) : std::uint8_t{0};
  };
  const auto isControlTail = [](std::uint8_t byte) { return byte >= 0x80 && byte <= 0x9F; };
  if (at(0) == 0xC2 && isControlTail(at(1))) return {2, at(1) == 0x8A};
  if (at(0) == 0xEE && at(1) == 0x82 && isControlTail(at(2))) return {3, at(2) == 0x8A};
  return {};
}

// `text` with the table's line breaks as blanks, without its other control codes, and without
// the bytes of anything that is not a well-formed UTF-8 character.
std::string withoutControlCodes(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  while (!text.empty()) {
    const ControlCode control = controlCode(text);
    if (control.length != 0) {
      if (control.lineBreak) result += ' ';
      text.remove_prefix(control.length);
      continue;
    }
    // iconv reads UTF-8 input in forms that reach beyond U+10FFFF and writes them out again.
    const std::size_t character = utf8::front(text).length;
    result.append(text.substr(0, character));
    text.remove_prefix(std::max<std::size_t>(character, 1));
  }
  return result;
}

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Well-formed UTF-8 in composed form (NFC), so that an accented letter is one character
// wherever Unicode has one. ASCII is composed already.
std::string composed(std::string text) {
  if (isAscii(text)) return text;
  utf8proc_uint8_t* result = nullptr;
  const utf8proc_ssize_t length =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                   static_cast<utf8proc_ssize_t>(text.size()), &result,
                   static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
  const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(result, &std::free);
  // Well-formed input always composes; should the library fail, the text stands as it is.
  if (length < 0) return text;
  return std::string(reinterpret_cast<const char*>(result), static_cast<std::size_t>(length));
}

// Plain ASCII reads the same in every table of one-byte units and holds none of their control
// codes: it needs no converter.
bool isPlainAscii(std::span<const std::uint8_t> text, const Selection& selection) {
  return selection.unitLength == 1 &&
         std::all_of(text.begin(), text.end(), [](std::uint8_t byte) { return byte < 0x80; });
}

}  // namespace

std::string dvbTextToUtf8(std::span<const std::uint8_t> field, int defaultTable) {
  if (field.empty()) return {};
  const Selection selection = select(field, defaultTable);
  if (selection.kind == Selection::Kind::kUndecodable) return {};
  const std::span<const std::uint8_t> text = field.subspan(selection.selectorLength);
  if (isPlainAscii(text, selection)) return std::string(text.begin(), text.end());
  if (selection.kind == Selection::Kind::kTable00) return composed(dvb::decodeTable00(text));
  return composed(withoutControlCodes(convert(text, selection)));
}
