// The name under which a recording appears in the host's movie list: the broadcast's title and
// short text from the event file the recorder stored beside it, or else its file name.
#pragma once

#include <cstddef>
#include <string_view>

#include "disk/receiver_fs.h"
#include "host/estring.h"
#include "host/receiver_paths.h"
#include "movielist/event_files.h"

// At most this much of an event file is read.
inline constexpr std::size_t kEventFileReadSize = 4096;

// The display name of the recording at receiver path `path`, whose directory entry is `name`.
eString getFileName(eString path, eString name);

// The display name of the recording at `path` in `directory`, whose entry is `name`: how the
// rebuild names every recording, and getFileName any one. Its event file (eventFileName) is
// in `directory`; `listing` tells what the caller's listing of the directory showed of it, and
// no open is tried when that was none. Control bytes and the line and paragraph
// separators (U+2028, U+2029) become blanks, so that the name fits on a line; a title that is
// then nothing but blanks gives way to the file name.
eString describeRecording(const disk::Directory& directory, std::string_view path,
                          std::string_view name, EventFileListing listing);
