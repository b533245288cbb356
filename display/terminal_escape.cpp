#include "display/terminal_escape.h"

#include <cstddef>
#include <cstdint>

namespace {

// The length of the well-formed UTF-8 character that `rest` starts with, or 0.
std::size_t characterLength(std::string_view rest) {
  const auto byte = [rest](std::size_t index) { return static_cast<std::uint8_t>(rest[index]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (rest.size() < length) return 0;
  for (std::size_t index = 1; index < length; ++index) {
    const std::uint8_t next = byte(index);
    if (next < (index == 1 ? low : 0x80) || next > (index == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

// The code point of a well-formed UTF-8 character.
char32_t codePoint(std::string_view character) {
  const auto byte = [character](std::size_t index) {
    return static_cast<char32_t>(static_cast<std::uint8_t>(character[index]));
  };
  constexpr char32_t kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t code = byte(0) & kLeadBits[character.size()];
  for (std::size_t index = 1; index < character.size(); ++index)
    code = (code << 6) | (byte(index) & 0x3F);
  return code;
}

// Characters that are shown as their bytes: the controls (C0, DEL, C1), and the characters that
// draw nothing yet change what is seen: the marks that reorder text (a right-to-left override
// makes "[RLO]gnp.exe" read "exe.png"), the invisible spaces and the byte order mark (two names
// that differ by one look alike), and the line and paragraph separators. The joiners U+200C and
// U+200D and the soft hyphen stay: Persian, Indic and emoji text need them.
bool isShownAsBytes(std::string_view character) {
  const char32_t code = codePoint(character);
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x200B || code == 0x200E ||
         code == 0x200F || (code >= 0x2028 && code <= 0x202E) || code == 0x2060 ||
         (code >= 0x2066 && code <= 0x2069) || code == 0xFEFF;
}

void appendEscaped(std::string& out, std::string_view bytes) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (const char each : bytes) {
    const auto byte = static_cast<std::uint8_t>(each);
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
}

}  // namespace

std::string escapeForTerminal(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = characterLength(text);
    const std::string_view character = text.substr(0, length == 0 ? 1 : length);
    if (length == 0 || isShownAsBytes(character)) {
      appendEscaped(out, character);
    } else {
      out += character;
    }
    text.remove_prefix(character.size());
  }
  return out;
}
