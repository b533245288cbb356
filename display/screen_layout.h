// The on-screen display laid out in character cells for a terminal of a given size: where each
// widget's box goes and the lines it holds. A frame flows one way: each text is escaped once,
// then measured and wrapped at word boundaries to the inside of its box, then placed, and the
// box grows to hold it; a terminal too small for a box gets a notice of the size it needs
// instead, in the host's language. The terminal draws the result and the headless display
// writes its lines, so both show the same text; nothing here needs a terminal.
#pragma once

#include <string>
#include <vector>

#include "host/gui/screen.h"

struct TerminalSize {
  int columns = 0;
  int lines = 0;
  friend bool operator==(const TerminalSize&, const TerminalSize&) = default;
};

// A box on the terminal, its frame included, in cells from the terminal's top-left corner.
struct BoxArea {
  int top = 0;
  int left = 0;
  int lines = 0;
  int columns = 0;
  friend bool operator==(const BoxArea&, const BoxArea&) = default;
};

// What a separator row draws across the box.
enum class Rule { none, line, image };

// One line of a box's body: text, or a separator's rule, at a column of the box's inside.
struct BoxLine {
  std::string text;        // escaped; fits the inside from `column` on
  int column = 0;          // from the inside's left edge
  int row = -1;            // the list row shown; -1 for a message box's text
  bool continued = false;  // a row's second or later line
  Rule rule = Rule::none;
  int ruleColumns = 0;  // a rule's length, from `column` on
};

// A message box's button, on one of the button lines at the foot of the box.
struct BoxButton {
  std::string label;  // drawn with a blank on either side
  int line = 0;       // 0 for the first button line
  int column = 0;     // from the inside's left edge
  bool current = false;
};

struct WidgetLayout {
  eWidgetView::Kind kind = eWidgetView::Kind::window;
  std::string caption;  // escaped, cut to what the top border holds
  BoxArea box;
  int insideColumns = 0;          // the text columns between the borders and their padding
  std::vector<BoxLine> body;      // from the box's first inner line down
  int currentRow = -1;            // the list row drawn as current
  std::vector<std::string> help;  // a list window's help text, wrapped; empty when it has none
  std::vector<BoxButton> buttons;

  // The terminal lines of the body's first line, the first help line, the first button line.
  int bodyTop() const { return box.top + 1; }
  int helpTop() const;
  int buttonTop() const;
};

// A frame on a terminal: its boxes, or a notice where the terminal is too small for them.
struct ScreenLayout {
  TerminalSize needed;  // the smallest terminal that holds every box
  bool fits = true;     // the terminal holds every box
  // The widgets, bottom one first, boxes moved in to fit the terminal; empty when it is too small.
  std::vector<WidgetLayout> widgets;
  // Where it is too small: the lines that say so, at their terminal line and column.
  struct NoticeLine {
    int line = 0;
    int column = 0;
    std::string text;
  };
  std::vector<NoticeLine> notice;
};

// `widget` in its box at its own place on the display (8 by 20 pixels a cell).
WidgetLayout layOutWidget(const eWidgetView& widget);

// `frame` on a terminal of `terminal`'s size: every box moved in where the terminal is smaller
// than the display, or a notice when a box does not fit at all.
ScreenLayout layOutScreen(const eScreenFrame& frame, TerminalSize terminal);
