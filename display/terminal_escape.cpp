#include "display/terminal_escape.h"

#include <cstdint>

#include "dvbtext/utf8.h"

namespace {

// Characters that are shown as their bytes: the controls (C0, DEL, C1), and the characters that
// draw nothing yet change what is seen: the marks that reorder text (a right-to-left override
// makes "[RLO]gnp.exe" read "exe.png"), the invisible spaces and the byte order mark (two names
// that differ by one look alike), and the line and paragraph separators. The joiners U+200C and
// U+200D and the soft hyphen stay: Persian, Indic and emoji text need them.
bool isShownAsBytes(char32_t code) {
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
    const utf8::Character front = utf8::front(text);
    const std::string_view character = text.substr(0, front.length == 0 ? 1 : front.length);
    if (front.length == 0 || isShownAsBytes(front.codePoint)) {
      appendEscaped(out, character);
    } else {
      out += character;
    }
    text.remove_prefix(character.size());
  }
  return out;
}
