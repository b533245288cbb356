// Character code table 00 of DVB text (EN 300 468 figure A.1): ISO/IEC 6937 with the euro sign
// at 0xA4. Its accents are non-spacing marks (0xC1 to 0xCF) written before their letter.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace dvb {

// The text in UTF-8, each mark after the character it belongs to as a Unicode combining mark
// (composing is left to the caller). A mark before a blank is the spacing accent, as in
// ISO/IEC 6937; a mark that is followed by no character it can stand on (the end of the field,
// another mark, a control code) vanishes. The DVB line break (0x8A) becomes a blank, the other
// control codes (0x80 to 0x9F) and the positions the table leaves empty vanish; bytes below
// 0x20 and 0x7F are kept as they are.
std::string decodeTable00(std::span<const std::uint8_t> text);

}  // namespace dvb
