// The host's setup window: a list window of menu entries in which the remote control works
// the list. All its key handling lives in eventHandler: up and down move the cursor, left
// and right change the current entry's value, ok chooses the current entry, exit closes.
#pragma once

#include "host/gui/elistboxentrymenu.h"
#include "host/gui/elistboxwindow.h"

extern template class eListBoxWindow<eListBoxEntryMenu>;

class eSetupWindow : public eListBoxWindow<eListBoxEntryMenu> {
 public:
  eSetupWindow(const char* title, int entries, int width);

 protected:
  int eventHandler(eRCKey key) override;
};
