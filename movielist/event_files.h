// Which recordings of a directory listing may have an event file beside them, so that the
// rebuild opens only those: the listing is compared with the names an open would find.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

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

  // False when the listing holds no event file for the recording entry `name`, so that no open
  // is tried; true when it does, or cannot tell. Two stems that hash alike cost no more than an
  // open that fails, as for any recording without an event file.
  bool mayHaveEventFile(std::string_view recordingName) const;

 private:
  bool namesMayFoldCase_;
  std::hash<std::string_view> hash_;
  std::vector<std::size_t> stems_;  // hashes of the listed event files' stems, sorted by complete()
};
