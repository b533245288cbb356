// A list entry with a mark that ok toggles, kept in step with an integer key of the host's
// configuration store: it shows the stored value and stores 0 or 1 at each toggle.
#pragma once

#include "host/gui/elistboxentrymenu.h"

class eListBoxEntryCheck : public eListBoxEntryMenu {
 public:
  // Reads `configKey`; an absent key shows the mark set, as readers of such switches take an
  // absent key for on.
  eListBoxEntryCheck(eListBox<eListBoxEntryMenu>* list, const char* text, const char* configKey,
                     const eString& helpText);

  // Toggles the mark and stores it at once.
  bool choose() override;
  eRowView view() const override;

 private:
  eString configKey_;
  bool checked_ = true;
};
