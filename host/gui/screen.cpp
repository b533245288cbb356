#include "host/gui/screen.h"

namespace {

eScreen* activeScreen = nullptr;

}  // namespace

eString widgetLabel(const eWidgetView& widget) {
  const char* kind = widget.kind == eWidgetView::Kind::window ? "window" : "message box";
  return eString(kind) + " \"" + widget.caption + "\"";
}

eScreen* eScreen::getActive() {
  return activeScreen;
}

void eScreen::setActive(eScreen* screen) {
  activeScreen = screen;
}
