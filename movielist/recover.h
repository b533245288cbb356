// The rebuild of the host's recordings list from the recording directory.
#pragma once

#include "host/receiver_paths.h"

// Empties DirMovieFile, fills it with every ".ts" recording in the movie directory, sorts it
// by `sortType` (1 to 6; any other value keeps listing order), replaces the recordings list
// and asks the host to reload it. Returns 1 when the list was written and the reload
// requested; 0 otherwise, and then the old list is untouched, no reload requested, and the
// reason ("no recordings" in the movie directory, or the file failure) is reported
// (file_failure.h) as the task "rebuild".
int rebuildRecordingsList(int sortType);
