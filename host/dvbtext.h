// Text fields of DVB service information (EN 300 468 Annex A): the first bytes select a
// character table; the host shows everything as UTF-8 in composed form (NFC).
#pragma once

#include <cstdint>
#include <span>

#include "host/estring.h"

// The host's own configuration key for text without a selector: absent or 0, table 00 as the
// standard says; 1 to 15, ISO/IEC 8859-1 to 8859-15, for broadcasters that send one of those
// unmarked. Any other value means table 00.
inline constexpr const char* kDefaultTableKey = "/host/dvb/default_table";

// Converts a DVB text field to UTF-8. A field without a selector byte is read in table 00
// (ISO/IEC 6937 with the euro sign), or in ISO 8859-`defaultTable` when that names a part.
// A selector that names no table this host can decode, or is cut off, gives an empty string.
// The DVB line break becomes a blank; the other control codes of the tables vanish, and so do
// bytes that cannot be converted.
eString dvbTextToUtf8(std::span<const std::uint8_t> field, int defaultTable = 0);
