// A window that consists of a list of entries of type T under its caption: sized for a given
// number of rows and width, it draws the list's rows and, where the list shows it, the help
// text of the current entry.
#pragma once

#include "host/gui/elistbox.h"
#include "host/gui/ewindow.h"
#include "host/gui/geometry.h"

template <class T>
class eListBoxWindow : public eWindow {
 public:
  // Room for `entries` rows plus the caption, the help line and the frame.
  eListBoxWindow(const char* title, int entries, int width) {
    setText(title);
    resize({width, (entries + 4) * kRowHeight});
  }

  eListBox<T> list;

 protected:
  void describe(eWidgetView& view) const override { list.describe(view); }
};
