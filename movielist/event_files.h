// Which recordings of a directory listing may have an event file beside them, so that the
// rebuild opens only those: the listing is compared with the names an open would find.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class EventFileIndex {
 public:
  // `namesMayFoldCase`: the directory may match names without regard to case (see
  // host::namesMayFoldCase). There an open of "a.eit" finds "A.EIT", and one of "ä.eit" finds
  // "Ä.EIT", which no comparison of listed names (nor one folding ASCII only) can tell; the
  // index then leaves every recording to the open.
  explicit EventFileIndex(bool namesMayFoldCase) : namesMayFoldCase_(namesMayFoldCase) {}

  // Takes note of one listed entry and its type as the listing gives it (DT_*); only event
  // files count.
  void add(std::string_view entryName, unsigned char listedType);
  // Called once the listing is complete, before the first question.
  void complete();

  // Nothing when the listing holds no event file for the recording entry `name`; else the
  // listing's type for it: DT_REG when it showed a regular file only, DT_UNKNOWN when it
  // showed anything else (a link, a FIFO, no type at all) or cannot tell, so that the type is
  // checked before an open. Two stems that hash alike cost no more than an open that fails,
  // as for any recording without an event file.
  std::optional<unsigned char> listedEventFileType(std::string_view recordingName) const;

 private:
  // A stem's hash with its lowest bit telling whether the listing showed anything but a
  // regular file.
  std::size_t stemKey(std::string_view stem, bool checkFirst) const;

  bool namesMayFoldCase_;
  std::hash<std::string_view> hash_;
  std::vector<std::size_t> stems_;  // stemKey of each listed event file, sorted by complete()
};
