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

// The display names of the recordings in one directory, as the rebuild gives every recording
// and getFileName any one. What is the same for all of them (the event-information setting and
// the event parser's service key) is found once, when the namer is made.
class RecordingNamer {
 public:
  explicit RecordingNamer(const disk::Directory& directory);

  // The display name of the recording at `path` in the directory, whose entry is `name`. Its
  // event file (eventFileName) is in the directory; `listing` tells what the caller's listing
  // showed of it, and no open is tried when that was none. Control bytes and the line and
  // paragraph separators (U+2028, U+2029) become blanks, so that the name fits on a line; a
  // title that is then nothing but blanks gives way to the file name.
  eString describe(std::string_view path, std::string_view name, EventFileListing listing) const;

 private:
  eString nameFromEventFile(std::string_view path) const;

  const disk::Directory& directory_;
  bool eventInformationWanted_;  // names come from event files at all
  int serviceKey_;               // the event parser's key for every recording here
};
