#include "host/gui/esetupwindow.h"

template class eListBoxWindow<eListBoxEntryMenu>;

eSetupWindow::eSetupWindow(const char* title, int entries, int width)
    : eListBoxWindow<eListBoxEntryMenu>(title, entries, width) {}

int eSetupWindow::eventHandler(eRCKey key) {
  switch (key) {
    case eRCKey::up:
      return list.moveUp();
    case eRCKey::down:
      return list.moveDown();
    case eRCKey::left:
      return list.changeValue(-1);
    case eRCKey::right:
      return list.changeValue(+1);
    case eRCKey::ok:
      return list.chooseCurrent();
    case eRCKey::exit:
      close(0);
      return 1;
  }
  return 0;
}
