// Service references: the host's colon-separated address of a service or recording,
// "type:flags:data0:...:data7:path", parsed by string2ref.
#pragma once

#include <array>

#include "host/estring.h"

struct eServiceReference {
  int type = 0;
  int flags = 0;
  std::array<int, 8> data{};  // hexadecimal identifier fields
  eString path;               // whatever follows the tenth colon

  int transportStreamId() const { return data[2]; }
  int originalNetworkId() const { return data[3]; }
};

// Parses a reference; fields that are missing or not hexadecimal read as 0.
eServiceReference string2ref(const eString& text);
