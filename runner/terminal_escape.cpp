#include "runner/terminal_escape.h"

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

bool isControl(std::string_view character) {
  const auto lead = static_cast<std::uint8_t>(character[0]);
  if (character.size() == 1) return lead < 0x20 || lead == 0x7F;
  // U+0080 to U+009F are C2 80 to C2 9F.
  return lead == 0xC2 && static_cast<std::uint8_t>(character[1]) <= 0x9F;
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
    if (length == 0 || isControl(character)) {
      appendEscaped(out, character);
    } else {
      out += character;
    }
    text.remove_prefix(character.size());
  }
  return out;
}
