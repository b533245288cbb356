// The display the host's widgets draw to and take keys from, made active for a scope: the
// screen and key source that were active before come back when the scope ends, by return or by
// exception, so that nothing is left pointing at a display that has gone.
#pragma once

#include "host/gui/keysource.h"
#include "host/gui/screen.h"

class eActiveDisplay {
 public:
  // Makes `screen` (null: draw nowhere) and `keys` the active ones.
  eActiveDisplay(eScreen* screen, eKeySource* keys);
  // A display that is both screen and key source.
  template <class Display>
  explicit eActiveDisplay(Display& display) : eActiveDisplay(&display, &display) {}
  eActiveDisplay(const eActiveDisplay&) = delete;
  eActiveDisplay& operator=(const eActiveDisplay&) = delete;
  ~eActiveDisplay();

 private:
  eScreen* previousScreen_;
  eKeySource* previousKeys_;
};
