// Text fields of DVB service information (EN 300 468 Annex A): the first bytes select a
// character table; the host shows everything as UTF-8 in composed form (NFC).
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Converts a DVB text field to UTF-8. A field without a selector byte is read in table 00
// (ISO/IEC 6937 with the euro sign), or in ISO 8859-`defaultTable` when that names a part.
// A selector that names no table this host can decode, or is cut off, gives an empty string.
// The DVB line break becomes a blank; the other control codes of the tables vanish, and so do
// bytes that cannot be converted.
std::string dvbTextToUtf8(std::span<const std::uint8_t> field, int defaultTable = 0);
