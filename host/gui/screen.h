// What the host's widgets draw to: a screen is told when a widget appears or goes, and is
// handed the whole display before every key the host waits for. The terminal and the
// headless transcript are two screens; at most one is active.
#pragma once

#include <vector>

#include "host/estring.h"
#include "host/gui/geometry.h"

// One row of a list as it is drawn.
struct eRowView {
  enum class Kind { menu, multi, check, separator };
  enum class Align { left, right, centre };
  Kind kind = Kind::menu;
  eString text;               // a menu or check entry's text; a multi entry's value shown
  bool checked = false;       // a check entry's mark
  Align align = Align::left;  // a menu entry's place in the row
  int indent = 0;             // a menu entry's indent, in characters, when it is on the left
  eString image;              // a separator's image; empty when it has none
  bool line = true;           // a separator without image: a line (true) or blank (false)
  int margin = 0;             // a separator's margin on either side, in characters
};

// One widget as it is drawn.
struct eWidgetView {
  enum class Kind { window, messageBox };
  Kind kind = Kind::window;
  eString caption;
  ePoint position;
  eSize size;
  std::vector<eRowView> rows;    // a list window's rows, in order
  int currentRow = -1;           // index into rows; -1 when no row is current
  eString help;                  // the current row's help text, where the list shows it
  eString text;                  // a message box's text; lines end in '\n'
  std::vector<eString> buttons;  // a message box's buttons, in order
  int currentButton = -1;
  eString icon;  // a message box's icon: "info", "warning", "question", "error" or empty
};

// The widgets shown, from the bottom one to the top one.
using eScreenFrame = std::vector<eWidgetView>;

// `window "Quillon v2.00"` or `message box "About..."`: how messages name a widget.
eString widgetLabel(const eWidgetView& widget);

class eScreen {
 public:
  virtual ~eScreen() = default;

  // `widget` has appeared on top of the others.
  virtual void shown(const eWidgetView& widget) = 0;
  // `widget` has gone; only its kind, caption, position and size are filled in.
  virtual void hidden(const eWidgetView& widget) = 0;
  // The display as it stands, handed over before the host waits for a key.
  virtual void refresh(const eScreenFrame& frame) = 0;

  // The screen widgets draw to; null (drawing nowhere) until one is set.
  static eScreen* getActive();
  static void setActive(eScreen* screen);
};
