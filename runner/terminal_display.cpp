#include "runner/terminal_display.h"

#include <curses.h>

#include <algorithm>
#include <string>

#include "host/gui/geometry.h"

namespace {

constexpr short kWindowColours = 1;
constexpr short kCurrentColours = 2;
constexpr int kEscape = 27;

// The columns `text` takes: its UTF-8 characters.
int displayWidth(const std::string& text) {
  return static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char byte) { return (byte & 0xC0) != 0x80; }));
}

// A widget's place on the terminal: its cells, moved in where the terminal is too small.
struct Area {
  int top;
  int left;
  int lines;
  int columns;
};

Area areaOf(const eWidgetView& widget, int contentLines) {
  Area area{widget.position.y / kRowHeight, widget.position.x / kCharacterWidth, contentLines + 4,
            widget.size.width / kCharacterWidth};
  area.columns = std::min(area.columns, COLS);
  area.lines = std::min(area.lines, LINES);
  area.top = std::clamp(area.top, 0, LINES - area.lines);
  area.left = std::clamp(area.left, 0, COLS - area.columns);
  return area;
}

void drawFrame(const Area& area, const std::string& caption) {
  attrset(COLOR_PAIR(kWindowColours));
  for (int line = 0; line < area.lines; ++line)
    mvhline(area.top + line, area.left, ' ', area.columns);
  mvhline(area.top, area.left + 1, ACS_HLINE, area.columns - 2);
  mvhline(area.top + area.lines - 1, area.left + 1, ACS_HLINE, area.columns - 2);
  mvvline(area.top + 1, area.left, ACS_VLINE, area.lines - 2);
  mvvline(area.top + 1, area.left + area.columns - 1, ACS_VLINE, area.lines - 2);
  mvaddch(area.top, area.left, ACS_ULCORNER);
  mvaddch(area.top, area.left + area.columns - 1, ACS_URCORNER);
  mvaddch(area.top + area.lines - 1, area.left, ACS_LLCORNER);
  mvaddch(area.top + area.lines - 1, area.left + area.columns - 1, ACS_LRCORNER);
  mvaddstr(area.top, area.left + 2, (" " + caption + " ").c_str());
}

void drawSeparator(const eRowView& row, int line, int left, int width) {
  const int length = std::max(0, width - 2 * row.margin);
  if (!row.image.empty()) {
    std::string image;
    for (int column = 0; column < length; ++column) image += "\u2550";
    mvaddstr(line, left + row.margin, image.c_str());
  } else if (row.line) {
    mvhline(line, left + row.margin, ACS_HLINE, length);
  }
}

void drawRow(const eRowView& row, bool current, int line, int left, int width) {
  attrset(COLOR_PAIR(current ? kCurrentColours : kWindowColours) | (current ? A_BOLD : 0));
  mvhline(line, left, ' ', width);
  if (row.kind == eRowView::Kind::separator) return drawSeparator(row, line, left, width);
  std::string text = row.text;
  if (row.kind == eRowView::Kind::check) text.insert(0, row.checked ? "[x] " : "[ ] ");
  int column = left + row.indent;
  if (row.align == 2) column = left + std::max(0, (width - displayWidth(text)) / 2);
  if (row.align == 1) column = left + std::max(0, width - displayWidth(text));
  mvaddnstr(line, column, text.c_str(), static_cast<int>(text.size()));
}

void drawListWindow(const eWidgetView& widget) {
  const Area area = areaOf(widget, static_cast<int>(widget.rows.size()));
  drawFrame(area, widget.caption);
  const int width = area.columns - 4;
  for (std::size_t index = 0; index < widget.rows.size(); ++index) {
    drawRow(widget.rows[index], static_cast<int>(index) == widget.currentRow,
            area.top + 1 + static_cast<int>(index), area.left + 2, width);
  }
  attrset(COLOR_PAIR(kWindowColours));
  const int helpLine = area.top + area.lines - 2;
  mvhline(helpLine - 1, area.left + 1, ACS_HLINE, area.columns - 2);
  mvaddch(helpLine - 1, area.left, ACS_LTEE);
  mvaddch(helpLine - 1, area.left + area.columns - 1, ACS_RTEE);
  mvaddnstr(helpLine, area.left + 2, widget.help.c_str(), static_cast<int>(widget.help.size()));
}

void drawMessageBox(const eWidgetView& widget) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= widget.text.size()) {
    std::size_t end = std::min(widget.text.find('\n', start), widget.text.size());
    lines.push_back(widget.text.substr(start, end - start));
    start = end + 1;
  }
  const Area area = areaOf(widget, static_cast<int>(lines.size()));
  drawFrame(area, widget.caption);
  for (std::size_t index = 0; index < lines.size(); ++index) {
    mvaddstr(area.top + 1 + static_cast<int>(index), area.left + 2, lines[index].c_str());
  }
  int column = area.left + 2;
  for (std::size_t index = 0; index < widget.buttons.size(); ++index) {
    const bool current = static_cast<int>(index) == widget.currentButton;
    attrset(COLOR_PAIR(current ? kCurrentColours : kWindowColours) | (current ? A_BOLD : 0));
    std::string label = " " + widget.buttons[index] + " ";
    mvaddstr(area.top + area.lines - 2, column, label.c_str());
    column += displayWidth(label) + 2;
  }
}

}  // namespace

TerminalDisplay::TerminalDisplay() {
  initscr();
  cbreak();
  noecho();
  keypad(stdscr, TRUE);
  set_escdelay(25);
  curs_set(0);
  if (has_colors()) {
    start_color();
    init_pair(kWindowColours, COLOR_WHITE, COLOR_BLUE);
    init_pair(kCurrentColours, COLOR_BLACK, COLOR_CYAN);
  }
}

TerminalDisplay::~TerminalDisplay() {
  endwin();
}

void TerminalDisplay::refresh(const eScreenFrame& frame) {
  lastFrame_ = frame;
  attrset(A_NORMAL);
  erase();
  for (const eWidgetView& widget : frame) {
    if (widget.kind == eWidgetView::Kind::messageBox) {
      drawMessageBox(widget);
    } else {
      drawListWindow(widget);
    }
  }
  ::refresh();
}

std::optional<eRCKey> TerminalDisplay::nextKey() {
  for (;;) {
    switch (getch()) {
      case ERR:
        return std::nullopt;
      case KEY_RESIZE:
        refresh(eScreenFrame(lastFrame_));
        break;
      case KEY_UP:
        return eRCKey::up;
      case KEY_DOWN:
        return eRCKey::down;
      case KEY_LEFT:
        return eRCKey::left;
      case KEY_RIGHT:
        return eRCKey::right;
      case KEY_ENTER:
      case '\n':
      case '\r':
        return eRCKey::ok;
      case kEscape:
      case 'q':
        return eRCKey::exit;
      default:
        break;
    }
  }
}
