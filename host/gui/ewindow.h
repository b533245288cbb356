// A window: a widget with a caption, drawn with a frame. The setup and list windows and the
// message box are windows.
#pragma once

#include "host/gui/ewidget.h"

class eWindow : public eWidget {
 public:
  eWindow() : eWidget(eWidgetView::Kind::window) {}

 protected:
  explicit eWindow(eWidgetView::Kind kind) : eWidget(kind) {}
};
