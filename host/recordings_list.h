// The host's reader of a recordings list, the file that the main window reloads: fed the
// file's lines in order, as they are read, it keeps the entries that stand whole.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "host/estring.h"
#include "host/ezapmain.h"

// Entries are "#SERVICE: ", "#DESCRIPTION: ", "#TYPE ..." and a path line, in that order (the
// description and type lines may be missing); a line out of place ends the entry it
// interrupts, and lines that belong to no entry are skipped. A "#NAME " line names the list,
// the last one counting. Past eZapMain::kListEntryLimit entries the list holds none.
class RecordingsListParser {
 public:
  // Takes the next line, without its '\n'; a '\r' that ends it is dropped.
  void take(std::string_view line);

  // Whether the lines taken held more than eZapMain::kListEntryLimit entries.
  bool tooManyEntries() const { return tooManyEntries_; }
  // The list's name; empty when no "#NAME " line came.
  const eString& listName() const { return listName_; }
  // The entries taken, in list order; none when there were too many.
  std::vector<eZapMain::Recording> recordings() && { return std::move(recordings_); }

 private:
  enum class Stage { Outside, AfterService, AfterDescription, AfterType };

  void takeDescription(std::string_view description);
  void takeType();
  void takePath(std::string_view path);

  Stage stage_ = Stage::Outside;
  eZapMain::Recording entry_;
  eString listName_;
  std::vector<eZapMain::Recording> recordings_;
  bool tooManyEntries_ = false;
};
