// The host's recordings list file: a header line, then four lines for each movie.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

#include "movielist/dirfiles.h"

// Writes the list of `movies` to `stream`, in their order.
void printRecordingsList(std::FILE* stream, const std::vector<DIRFILES>& movies);

// Replaces the receiver file `receiverPath` with the list of `movies`, atomically: 0 when the
// new list is in place; -1 with errno when it is not (EFBIG: the list would be more than the
// host reads, eZapMain's limits), and then the old file is unchanged. Failures are recorded
// (file_failure.h).
int writeRecordingsList(std::string_view receiverPath, const std::vector<DIRFILES>& movies);
