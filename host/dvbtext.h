// Text fields of DVB service information (EN 300 468 Annex A): the first bytes select a
// character table; the host shows everything as UTF-8.
#pragma once

#include <cstdint>
#include <span>

#include "host/estring.h"

// Converts a DVB text field to UTF-8. A field without a selector byte is ISO 8859-1; a
// reserved or incomplete selector gives an empty string. Control codes of the table (emphasis
// on/off, the DVB line break) are dropped; bytes that cannot be converted are left out.
eString dvbTextToUtf8(std::span<const std::uint8_t> field);
