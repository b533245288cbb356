// The host's event parser and its text conversion, given any bytes an event file may hold:
// the parse stays within the bytes, and every text it yields is well-formed UTF-8 without the
// character tables' control codes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "dvbtext/dvbtext.h"
#include "fuzz/fuzz_support.h"
#include "host/eitevent.h"

namespace {

constexpr std::size_t kFixedPartLength = 12;

// The one-byte tables' control codes (U+0080 to U+009F) and the two-byte tables' (U+E080 to
// U+E09F), as they stand in UTF-8.
bool holdsControlCode(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    if (at(i) == 0xC2 && at(i + 1) >= 0x80 && at(i + 1) <= 0x9F) return true;
    if (at(i) == 0xEE && at(i + 1) == 0x82 && i + 2 < text.size() && at(i + 2) >= 0x80 &&
        at(i + 2) <= 0x9F)
      return true;
  }
  return false;
}

void requireDisplayableText(const eString& text) {
  fuzz::require(fuzz::isValidUtf8(text), "converted text is well-formed UTF-8");
  fuzz::require(!holdsControlCode(text), "converted text holds no control code");
}

void checkShortEvent(const ShortEventDescriptor& shortEvent) {
  const std::size_t languageLength = shortEvent.language_code.size();
  fuzz::require(languageLength == 0 || languageLength == 3, "a language code is three bytes");
  requireDisplayableText(shortEvent.event_name);
  requireDisplayableText(shortEvent.text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const EITEvent event(reinterpret_cast<const eit_event_struct*>(data), 0, size);
  // Every descriptor takes at least its tag and length byte from the loop.
  const std::size_t loopRoom = size > kFixedPartLength ? size - kFixedPartLength : 0;
  fuzz::require(event.descriptor.size() * 2 <= loopRoom, "descriptors lie within the bytes");
  for (const auto& descriptor : event.descriptor) {
    if (descriptor->Tag() == DESCR_SHORT_EVENT)
      checkShortEvent(static_cast<const ShortEventDescriptor&>(*descriptor));
  }
  requireDisplayableText(dvbTextToUtf8(std::span(data, size)));
  return 0;
}
