#include "dvbtext/utf8.h"

#include <utf8proc.h>

#include <cassert>

namespace utf8 {

Character front(std::string_view text) {
  utf8proc_int32_t codePoint = -1;
  const utf8proc_ssize_t length =
      utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                       static_cast<utf8proc_ssize_t>(text.size()), &codePoint);
  if (length <= 0) return {};
  return {static_cast<char32_t>(codePoint), static_cast<std::size_t>(length)};
}

void append(std::string& out, char32_t codePoint) {
  utf8proc_uint8_t bytes[4];
  const utf8proc_ssize_t length =
      utf8proc_encode_char(static_cast<utf8proc_int32_t>(codePoint), bytes);
  assert(length > 0);
  out.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
}

}  // namespace utf8
