// A message box: a text under a caption, an icon and a row of buttons, centred on the display.
// left and right move between the buttons, ok closes the box with the current button's
// value, exit closes it with -1.
#pragma once

#include <vector>

#include "host/estring.h"
#include "host/gui/ewindow.h"

class eMessageBox : public eWindow {
 public:
  enum {
    btOK = 1,
    btCancel = 2,
    btYes = 4,
    btNo = 8,
    iconInfo = 16,
    iconWarning = 32,
    iconQuestion = 64,
    iconError = 128
  };

  // `flags`: the buttons and the icon, or-ed; `defaultButton`: the button current at first;
  // `width`: the least width in pixels, 0 to fit the text. A box without buttons gets OK.
  eMessageBox(eString text, eString caption, int flags, int defaultButton, int width);

 protected:
  int eventHandler(eRCKey key) override;
  void describe(eWidgetView& view) const override;

 private:
  void placeOnDisplay(int width);

  eString text_;
  int flags_;
  std::vector<int> buttons_;
  std::size_t currentButton_ = 0;
};
