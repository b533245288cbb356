// The name under which a recording appears in the host's movie list: the broadcast's title and
// short text from the event file the recorder stored beside it, or else its file name.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

#include "host/estring.h"

// Non-zero (the default): names come from event files.
inline constexpr const char* kEitInfoKey = "/enigma/plugins/quillon/eitinfo";
// At most this much of an event file is read.
inline constexpr std::size_t kEventFileReadSize = 4096;

// `text` up to its final ".ts", or all of it when it does not end so.
std::string_view withoutTsSuffix(std::string_view text);

// The display name of the recording at receiver path `path`, whose directory entry is `name`.
eString getFileName(eString path, eString name);

// Reads the start of a recording's event file into the buffer in one call: the count read,
// or -1 when there is no readable event file.
using EventFileReader = std::function<ssize_t(std::span<std::byte>)>;

// The display name of the recording at `path` whose directory entry is `name`, with its event
// file read by `readEventFile`. Control bytes become blanks, so that the name fits on a line.
eString describeRecording(std::string_view path, std::string_view name,
                          const EventFileReader& readEventFile);
