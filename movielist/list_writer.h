// The host's recordings list file: a header line, then four lines for each movie.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

#include "movielist/dirfiles.h"

// Writes the list of `movies` to `stream`, in their order.
void printRecordingsList(std::FILE* stream, const std::vector<DIRFILES>& movies);

// Replaces the receiver file `receiverPath` with the list of `movies`, atomically: 0 when the
// new list is in place; -1 with errno when it is not, and then the old file is unchanged.
int writeRecordingsList(std::string_view receiverPath, const std::vector<DIRFILES>& movies);
