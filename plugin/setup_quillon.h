// The plug-in's settings window: the sort order and the event-information switch, both kept in
// the host's configuration store by their rows themselves, the rebuild of the recordings list
// with its outcome, and the About box behind "Info".
//
// Some names do not follow our own naming and stay as they are, since the plug-in's contract
// with its host fixes them: showUeber, StartRecover and RecoverMovies here, the toolkit's
// LBSelected, the movie record DIRFILES and its list DirMovieFile. The window's RecoverMovies
// reads the sort row and calls rebuildRecordingsList, which does the work.
#pragma once

#include "host/gui/elistboxentrymenu.h"
#include "host/gui/elistboxentrymulti.h"
#include "host/gui/esetupwindow.h"
#include "host/receiver_paths.h"

class eSetupQuillon : public eSetupWindow {
 public:
  eSetupQuillon();
  ~eSetupQuillon() override;

  // The list's selection-change handler: stores the sort order when `entry` is the sort row.
  void selChanged(eListBoxEntryMenu* entry);
  // "Start Movie-Recovering": rebuilds the list and shows the outcome over the hidden window.
  void StartRecover();
  // "Info": shows the About box over the hidden window.
  void Options();
  // Rebuilds the recordings list in the order the sort row shows: 1 written, 0 not.
  int RecoverMovies();

 private:
  // Row 1; owned by the list.
  eListBoxEntryMulti* sortTypeEntry;
};
