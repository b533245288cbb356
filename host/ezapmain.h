// The host's main window, as far as the plug-in sees it: the recorded-movie list that the host
// reloads from "/hdd/movie/recordings.epl" on request.
#pragma once

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

  static eZapMain* instance();

  // Re-reads the receiver's list file into recordings(); a missing or unreadable file, one
  // that is not a regular file, or one over 64 MiB gives an empty list. `save` asks the host to
  // store its current list first; the stand-in has nothing to store.
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

// Parses the text of a recordings list. Entries are "#SERVICE: ", "#DESCRIPTION: ", "#TYPE ..."
// and a path line, in that order (the description and type lines may be missing); a line out
// of place ends the entry it interrupts, and lines that belong to no entry are skipped. A
// "#NAME " line names the list; `listName` (if given) gets the last name, or empty.
std::vector<eZapMain::Recording> parseRecordingsList(std::string_view text, eString* listName);
