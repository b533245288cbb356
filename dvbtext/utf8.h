// UTF-8 one character at a time, on libutf8proc: the DVB text decoder, the terminal's escaper
// and its wrapper read text through the same test of what a well-formed character is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace utf8 {

// A character at the front of a text.
struct Character {
  char32_t codePoint = 0;
  std::size_t length = 0;  // in bytes; 0: the text does not start with a well-formed character
};

// The well-formed character that `text` starts with. Not well-formed (length 0): an empty text,
// a byte that leads no character, an overlong form, a surrogate, a code point above U+10FFFF
// and a sequence cut off by the end of `text` or by a byte that does not continue it.
Character front(std::string_view text);

// Appends the UTF-8 form of `codePoint`, a Unicode scalar value.
void append(std::string& out, char32_t codePoint);

}  // namespace utf8
