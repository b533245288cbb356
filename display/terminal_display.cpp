#include "display/terminal_display.h"

#include <curses.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <string>
#include <string_view>

#include "display/screen_layout.h"

namespace {

constexpr short kWindowColours = 1;
constexpr short kCurrentColours = 2;
constexpr int kEscape = 27;

// What a signal handler needs to give the terminal back, prepared in advance because it may
// not allocate or call ncurses: the terminal's modes before ncurses took it over, and the
// bytes that undo what ncurses changed on the screen. `terminalTaken` says whether ncurses
// holds the terminal now, so that it is given back once, and not while ncurses is away.
termios savedModes;
std::array<char, 256> resetBytes;
std::atomic<std::size_t> resetLength{0};
std::atomic<bool> terminalTaken{false};
static_assert(std::atomic<std::size_t>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

void giveBackTerminal() noexcept {
  if (!terminalTaken.exchange(false)) return;
  if (const std::size_t length = resetLength.load(); length > 0) {
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, resetBytes.data(), length);
  }
  ::tcsetattr(STDIN_FILENO, TCSANOW, &savedModes);
}

// A terminfo string without its padding (`$<5>`), which asks for delays that only the slow
// terminals of old needed.
std::string withoutPadding(std::string_view value) {
  std::string bytes;
  while (!value.empty()) {
    const std::size_t padding = value.find("$<");
    const std::size_t end = value.find('>', padding);
    if (padding == std::string_view::npos || end == std::string_view::npos) break;
    bytes += value.substr(0, padding);
    value.remove_prefix(end + 1);
  }
  return bytes += value;
}

// Ordinary attributes, the keypad back to its normal keys, the ordinary screen back instead of
// the one ncurses drew on, and the cursor shown (last: leaving that screen may bring back the
// cursor as it was when ncurses entered it): each as this terminal spells it.
void prepareResetBytes() {
  std::string bytes;
  for (const char* capability : {"sgr0", "rmkx", "rmcup", "cnorm"}) {
    const char* value = tigetstr(capability);
    if (value != nullptr && value != reinterpret_cast<char*>(-1)) bytes += withoutPadding(value);
  }
  if (bytes.size() > resetBytes.size()) return;
  std::copy(bytes.begin(), bytes.end(), resetBytes.begin());
  resetLength.store(bytes.size());
}

std::optional<eRCKey> remoteControlKey(int key) {
  switch (key) {
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
      return std::nullopt;
  }
}

void useColours(bool current) {
  attrset(COLOR_PAIR(current ? kCurrentColours : kWindowColours) | (current ? A_BOLD : 0));
}

void drawFrame(const WidgetLayout& layout) {
  const BoxArea& box = layout.box;
  useColours(false);
  for (int line = 0; line < box.lines; ++line) mvhline(box.top + line, box.left, ' ', box.columns);
  const int bottom = box.top + box.lines - 1;
  const int right = box.left + box.columns - 1;
  mvhline(box.top, box.left + 1, ACS_HLINE, box.columns - 2);
  mvhline(bottom, box.left + 1, ACS_HLINE, box.columns - 2);
  mvvline(box.top + 1, box.left, ACS_VLINE, box.lines - 2);
  mvvline(box.top + 1, right, ACS_VLINE, box.lines - 2);
  mvaddch(box.top, box.left, ACS_ULCORNER);
  mvaddch(box.top, right, ACS_URCORNER);
  mvaddch(bottom, box.left, ACS_LLCORNER);
  mvaddch(bottom, right, ACS_LRCORNER);
  mvaddstr(box.top, box.left + 2, (" " + layout.caption + " ").c_str());
}

// The inside of a box begins after its border and a blank.
int insideLeft(const WidgetLayout& layout) {
  return layout.box.left + 2;
}

void drawBodyLine(const WidgetLayout& layout, const BoxLine& line, int terminalLine) {
  const bool current = line.row >= 0 && line.row == layout.currentRow;
  useColours(current);
  const int left = insideLeft(layout);
  if (current) mvhline(terminalLine, left, ' ', layout.insideColumns);
  switch (line.rule) {
    case Rule::image: {
      std::string rule;
      for (int column = 0; column < line.ruleColumns; ++column) rule += "\u2550";
      mvaddstr(terminalLine, left + line.column, rule.c_str());
      break;
    }
    case Rule::line:
      mvhline(terminalLine, left + line.column, ACS_HLINE, line.ruleColumns);
      break;
    case Rule::none:
      mvaddstr(terminalLine, left + line.column, line.text.c_str());
      break;
  }
}

void drawHelp(const WidgetLayout& layout) {
  useColours(false);
  const BoxArea& box = layout.box;
  const int ruleLine = layout.helpTop() - 1;
  mvhline(ruleLine, box.left + 1, ACS_HLINE, box.columns - 2);
  mvaddch(ruleLine, box.left, ACS_LTEE);
  mvaddch(ruleLine, box.left + box.columns - 1, ACS_RTEE);
  for (std::size_t index = 0; index < layout.help.size(); ++index) {
    mvaddstr(layout.helpTop() + static_cast<int>(index), insideLeft(layout),
             layout.help[index].c_str());
  }
}

void drawButtons(const WidgetLayout& layout) {
  for (const BoxButton& button : layout.buttons) {
    useColours(button.current);
    mvaddstr(layout.buttonTop() + button.line, insideLeft(layout) + button.column,
             (" " + button.label + " ").c_str());
  }
}

void drawWidget(const WidgetLayout& layout) {
  drawFrame(layout);
  for (std::size_t index = 0; index < layout.body.size(); ++index)
    drawBodyLine(layout, layout.body[index], layout.bodyTop() + static_cast<int>(index));
  if (layout.kind == eWidgetView::Kind::messageBox) {
    drawButtons(layout);
  } else {
    drawHelp(layout);
  }
}

}  // namespace

// The job-control handlers come first (a member), so that ncurses finds SIGTSTP taken.
TerminalDisplay::TerminalDisplay(EndingSignals endingSignals)
    : endingSignals_(endingSignals), jobControl_(giveBackTerminal) {
  ::tcgetattr(STDIN_FILENO, &savedModes);
  // Only fails where other clean-ups fill every place; the terminal is then restored on an
  // ordinary end alone, as ncurses would have it.
  endingSignals_.addCleanup(giveBackTerminal);
  initscr();
  prepareResetBytes();
  cbreak();
  noecho();
  keypad(stdscr, TRUE);
  // The key loop waits for the terminal and for the process to be continued at once (poll),
  // and reads keys only when there are some.
  nodelay(stdscr, TRUE);
  set_escdelay(25);
  curs_set(0);
  if (has_colors()) {
    start_color();
    init_pair(kWindowColours, COLOR_WHITE, COLOR_BLUE);
    init_pair(kCurrentColours, COLOR_BLACK, COLOR_CYAN);
  }
  terminalTaken.store(true);
}

TerminalDisplay::~TerminalDisplay() {
  terminalTaken.store(false);
  endwin();
  endingSignals_.removeCleanup(giveBackTerminal);
}

void TerminalDisplay::refresh(const eScreenFrame& frame) {
  lastFrame_ = frame;
  // Continued while the host was busy (a rebuild): the terminal is taken back before drawing.
  if (jobControl_.takeContinued()) {
    takeBackTerminal();
  } else {
    redraw();
  }
}

void TerminalDisplay::redraw() {
  const ScreenLayout screen = layOutScreen(lastFrame_, {COLS, LINES});
  tooSmall_ = !screen.fits;
  attrset(A_NORMAL);
  erase();
  for (const ScreenLayout::NoticeLine& line : screen.notice)
    mvaddstr(line.line, line.column, line.text.c_str());
  for (const WidgetLayout& widget : screen.widgets) drawWidget(widget);
  ::refresh();
}

// A stop gave the terminal back behind ncurses' back (or, after SIGSTOP, left it to the shell
// as it was): once in the foreground again, ncurses leaves it properly, then enters it again,
// keypad mode included, and the display is drawn anew at the terminal's present size, which
// may have changed meanwhile without a SIGWINCH reaching a stopped process.
void TerminalDisplay::takeBackTerminal() {
  terminalTaken.store(false);
  jobControl_.waitForForeground();
  endwin();
  winsize size = {};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && is_term_resized(size.ws_row, size.ws_col))
    resize_term(size.ws_row, size.ws_col);
  // Leaving cleared ncurses' note that the keypad is on, so entering again would not say so.
  keypad(stdscr, TRUE);
  redraw();
  terminalTaken.store(true);
}

bool TerminalDisplay::waitForInput() {
  pollfd watched[] = {{STDIN_FILENO, POLLIN, 0}, {jobControl_.continuedDescriptor(), POLLIN, 0}};
  if (::poll(watched, std::size(watched), -1) <= 0) return false;  // a signal came
  return watched[0].revents != 0;
}

std::optional<eRCKey> TerminalDisplay::nextKey() {
  bool inputWaiting = false;
  for (;;) {
    if (jobControl_.takeContinued()) takeBackTerminal();
    const int key = getch();
    if (key == ERR) {
      // The terminal said it had input, yet gave none: it is gone.
      if (inputWaiting) return std::nullopt;
      inputWaiting = waitForInput();
      continue;
    }
    inputWaiting = false;
    if (key == KEY_RESIZE) {
      redraw();
      continue;
    }
    const std::optional<eRCKey> remoteKey = remoteControlKey(key);
    if (remoteKey && (!tooSmall_ || *remoteKey == eRCKey::exit)) return remoteKey;
  }
}
