// The host's main window, as far as the plug-in sees it: the recorded-movie list that the host
// reloads from "/hdd/movie/recordings.epl" on request.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

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

  // Re-reads the receiver's list file (recordings_list.h) into recordings(); a missing or
  // unreadable file, one that is not a regular file, or one over either limit gives an empty list,
  // and all but a missing one are reported (file_failure.h) as the task "load". `save` asks the
  // host to store its current list first; the stand-in has nothing to store.
  void loadRecordings(bool save);

  const eString& listName() const { return listName_; }
  const std::vector<Recording>& recordings() const { return recordings_; }

  // Called after every reload; the stand-in's runner reports reloads through it.
  void onRecordingsLoaded(std::function<void(const eZapMain&)> observer);

 private:
  eString listName_;
  std::vector<Recording> recordings_;
  std::function<void(const eZapMain&)> observer_;
};
