// A row that separates groups of entries: the skin's image drawn across the row, or without
// one a plain line. The cursor never stops on it.
#pragma once

#include "host/gui/elistboxentrymenu.h"
#include "host/gui/gpixmap.h"

class eListBoxEntryMenuSeparator : public eListBoxEntryMenu {
 public:
  // `image` may be null; `margin` leaves that many characters free on either side; `line`
  // draws a line where there is no image, else the row stays blank.
  eListBoxEntryMenuSeparator(eListBox<eListBoxEntryMenu>* list, gPixmap* image, int margin,
                             bool line);

  eRowView view() const override;

 private:
  gPixmap* image_;
  int margin_;
  bool line_;
};
