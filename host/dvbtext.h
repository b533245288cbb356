// Text fields of DVB service information (EN 300 468 Annex A): the first bytes select a
// character table; the host shows everything as UTF-8.
#pragma once

#include <cstdint>
#include <span>

#include "host/estring.h"

// Converts a DVB text field to UTF-8. Control codes of the table (emphasis on/off, the DVB
// line break) are dropped; bytes that cannot be converted are left out.
eString dvbTextToUtf8(std::span<const std::uint8_t> field);
