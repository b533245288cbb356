#include "host/gui/active_display.h"

eActiveDisplay::eActiveDisplay(eScreen* screen, eKeySource* keys)
    : previousScreen_(eScreen::getActive()), previousKeys_(eKeySource::getActive()) {
  eScreen::setActive(screen);
  eKeySource::setActive(keys);
}

eActiveDisplay::~eActiveDisplay() {
  eScreen::setActive(previousScreen_);
  eKeySource::setActive(previousKeys_);
}
