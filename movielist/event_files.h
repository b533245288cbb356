// A recording's event file: the one rule that names it, and which recordings of a directory
// listing may have one beside them, so that the rebuild opens only those.
#pragma once

#include <limits.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

// `text` up to its final ".ts", or all of it when it does not end so: the stem that a
// recording's event file and its fallback name share ("a.tsb.ts" has "a.tsb.eit" and "a.tsb").
std::string_view withoutTsSuffix(std::string_view text);

// The entry name of the event file of the recording at `path` (its last component's stem,
// followed by ".eit"), NUL-terminated in `entry`; false when it is longer than any entry name
// can be.
bool eventFileName(std::string_view path, std::array<char, NAME_MAX + 1>& entry);

// What a directory listing tells of one recording's event file.
enum class EventFileListing {
  Absent,   // the listing holds none: no open is tried
  Listed,   // the listing holds one
  Unknown,  // no listing was taken, or it cannot tell (names may fold case): the open tells
};

class EventFileIndex {
 public:
  // `namesMayFoldCase`: the directory may match names without regard to case (see
  // disk::namesMayFoldCase). There an open of "a.eit" finds "A.EIT", and one of "ä.eit" finds
  // "Ä.EIT", which no comparison of listed names (nor one folding ASCII only) can tell; the
  // index then leaves every recording to the open.
  explicit EventFileIndex(bool namesMayFoldCase) : namesMayFoldCase_(namesMayFoldCase) {}

  // Takes note of one listed entry; only event files count, whatever type the listing gives.
  void add(std::string_view entryName);
  // Called once the listing is complete, before the first question.
  void complete();

  // What the listing tells of the event file of the recording entry `recordingName`. Two
  // stems that hash alike cost no more than an open that fails, as for any recording without
  // an event file.
  EventFileListing listing(std::string_view recordingName) const;

 private:
  bool namesMayFoldCase_;
  std::hash<std::string_view> hash_;
  std::vector<std::size_t> stems_;  // hashes of the listed event files' stems, sorted by complete()
};
