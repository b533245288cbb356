// The floor of a rebuild: the least work that writes the same recordings list as the plug-in,
// against which the benchmark measures the real rebuild. One pass over the directory, one
// status query per candidate (a second only for a link), an event file opened only where the
// listing shows one and read once, one sort, one buffered write, sync and rename.
#pragma once

#include <filesystem>

namespace bench {

// Replaces <root>/hdd/movie/recordings.epl with the list the plug-in would write for
// `sortType` with event information switched on. Returns the number of movies listed (0: the
// list was left alone, as the plug-in leaves it), or -1 with errno when the directory cannot
// be read or the list not written.
long floorRebuild(const std::filesystem::path& root, int sortType);

}  // namespace bench
