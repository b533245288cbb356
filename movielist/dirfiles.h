// The found movies: one DIRFILES record per recording, and the one global list of them that
// the last rebuild left, in its final order.
#pragma once

#include <cstdint>
#include <vector>

#include "host/estring.h"

struct DIRFILES {
  eString FullPath;           // "/hdd/movie/" followed by the directory entry name
  eString FileName;           // the directory entry name, extension included
  eString Description;        // the display name
  std::int64_t FileDate = 0;  // modification time of the entry itself (not a link's target)
};

// Empty when the plug-in is loaded; each rebuild empties and refills it.
extern std::vector<DIRFILES> DirMovieFile;
