// The host's main window, as far as the plug-in sees it: the recorded-movie list that the host
// reloads from "/hdd/movie/recordings.epl" on request.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "disk/line_reader.h"
#include "host/estring.h"

class eZapMain {
 public:
  struct Recording {
    eString service;      // the reference after "#SERVICE: "
    eString description;  // the text after "#DESCRIPTION: "
    eString path;         // the path line that ends the entry
  };

  // The most of a list the host reads: its bytes and its entries. A list over either reads as
  // empty; together they bound what a list takes in memory (see docs/reliability.md).
  static constexpr std::size_t kListFileLimit = std::size_t{64} << 20;
  static constexpr std::size_t kListEntryLimit = 500000;

  static eZapMain* instance();

  // Re-reads the receiver's list file into recordings(); a missing or unreadable file, one
  // that is not a regular file, or one over either limit gives an empty list, and all but a
  // missing one are reported (file_failure.h) as the task "load". `save` asks the host to store
  // its current list first; the stand-in has nothing to store.
  void loadRecordings(bool save);

  const eString& listName() const { return listName_; }
  const std::vector<Recording>& recordings() const { return recordings_; }
  int reloadCount() const { return reloadCount_; }

  // Called after every reload; the stand-in's runner reports reloads through it.
  void onRecordingsLoaded(std::function<void(const eZapMain&)> observer);

 private:
  eString listName_;
  std::vector<Recording> recordings_;
  int reloadCount_ = 0;
  std::function<void(const eZapMain&)> observer_;
};

// Where a recordings list's text comes from: hands each line to the visitor it is given, and
// says whether the text could be read to its end.
using RecordingsListSource = std::function<bool(const disk::LineVisitor&)>;

enum class ListReading { Read, Unreadable, TooManyEntries };

// Reads a recordings list, as loadRecordings reads the receiver's file, into `recordings`.
// Entries are "#SERVICE: ", "#DESCRIPTION: ", "#TYPE ..." and a path line, in that order (the
// description and type lines may be missing); a line out of place ends the entry it
// interrupts, and lines that belong to no entry are skipped. A "#NAME " line names the list;
// `listName` gets the last name, or empty. A text that cannot be read to its end, or holds
// more than eZapMain::kListEntryLimit entries, gives no entries and an empty name.
ListReading readRecordingsList(const RecordingsListSource& readLines,
                               std::vector<eZapMain::Recording>& recordings, eString& listName);
