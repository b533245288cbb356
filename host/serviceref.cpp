#include "host/serviceref.h"

#include <charconv>
#include <cstdint>
#include <string_view>

namespace {

constexpr int kFieldCount = 10;  // type, flags and the eight data fields before the path

// The whole of `field` as a decimal int; 0 when it is empty or not wholly a number.
int decimalField(std::string_view field) {
  int value = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size() ? value : 0;
}

// The whole of `field` as 32 hexadecimal bits; identifiers above 0x7FFFFFFF (a satellite
// namespace such as EEEE0000) keep their bit pattern, as the host stores them.
int hexadecimalField(std::string_view field) {
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, 16);
  return error == std::errc() && end == field.data() + field.size() ? static_cast<int>(value) : 0;
}

}  // namespace

eServiceReference string2ref(const eString& text) {
  eServiceReference reference;
  std::string_view rest = text;
  for (int index = 0; index < kFieldCount; ++index) {
    const std::size_t colon = rest.find(':');
    const std::string_view field = rest.substr(0, colon);
    if (index == 0) {
      reference.type = decimalField(field);
    } else if (index == 1) {
      reference.flags = decimalField(field);
    } else {
      reference.data[index - 2] = hexadecimalField(field);
    }
    if (colon == std::string_view::npos) return reference;  // the fields left read as 0
    rest.remove_prefix(colon + 1);
  }
  reference.path = eString(rest);
  return reference;
}
