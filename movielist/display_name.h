// The name under which a recording appears in the host's movie list: the broadcast's title and
// short text from the event file the recorder stored beside it, or else its file name.
#pragma once

#include <cstddef>
#include <string_view>

#include "disk/receiver_fs.h"
#include "host/estring.h"
#include "host/receiver_paths.h"

// At most this much of an event file is read.
inline constexpr std::size_t kEventFileReadSize = 4096;

// `text` up to its final ".ts", or all of it when it does not end so.
std::string_view withoutTsSuffix(std::string_view text);

// The display name of the recording at receiver path `path`, whose directory entry is `name`.
eString getFileName(eString path, eString name);

// The display name of the recording at `path` in `directory`, whose entry is `name`: how the
// rebuild names every recording, and getFileName any one. Its event file is `path`'s last
// component without the final ".ts", followed by ".eit", in `directory`. A caller that has
// listed the directory knows better than an open whether there is one: with
// `eventFileListed` false no open is tried. Control bytes and the line and paragraph
// separators (U+2028, U+2029) become blanks, so that the name fits on a line; a title that is
// then nothing but blanks gives way to the file name.
eString describeRecording(const disk::Directory& directory, std::string_view path,
                          std::string_view name, bool eventFileListed = true);
