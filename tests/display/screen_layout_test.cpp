// The display laid out for a terminal: every text inside its box, measured in columns, boxes
// inside the terminal, and a notice where the terminal is too small. How the frame looks in a
// real terminal, in both languages and as its size changes, is terminal_test.cpp's.
#include "display/screen_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/text_wrap.h"

namespace {

// The size quillon-host is meant to be used at, and what a terminal gives by default.
constexpr TerminalSize kStandardTerminal{80, 24};

// The settings window as the host describes it, in either language: its rows by kind, with a
// text or, for a separator, an image.
eWidgetView settingsWindow(std::string sortValue, std::string eventInfo, std::string help) {
  using enum eRowView::Kind;
  const std::string image = "listbox.separator";
  const std::pair<eRowView::Kind, std::string> rows[] = {
      {multi, sortValue}, {separator, image}, {check, eventInfo},
      {separator, image}, {separator, ""},    {menu, "Start Movie-Recovering"},
      {separator, ""},    {separator, image}, {menu, "Info"}};
  eWidgetView window;
  window.caption = "Quillon v2.00";
  window.position = {170, 80};
  window.size = {400, 260};
  for (const auto& [kind, text] : rows) {
    eRowView& row = window.rows.emplace_back();
    row.kind = kind;
    (kind == separator ? row.image : row.text) = text;
    row.checked = true;
    if (kind == menu) row.align = eRowView::Align::centre;
  }
  window.help = help;
  return window;
}

eWidgetView messageBox(std::string text, eSize size) {
  eWidgetView box;
  box.kind = eWidgetView::Kind::messageBox;
  box.caption = "About...";
  box.size = size;
  box.position = {(720 - size.width) / 2, (576 - size.height) / 2};
  box.text = text;
  box.buttons = {"OK"};
  return box;
}

const eWidgetView kAboutBox = messageBox(
    "Quillon v2.00\nRebuilds the receiver's list of recorded movies from\nthe recordings on its "
    "disk, named from their event\ninformation and sorted as you choose.\n"
    "https://quillon.example.org",
    {448, 180});

// What crosses an edge: a text or rule past its box's inside, a box past the terminal, a notice
// past the terminal. Empty when nothing does.
std::string layoutFault(const ScreenLayout& screen, TerminalSize terminal) {
  std::string faults;
  const auto within = [&faults](int from, int width, int room, const std::string& what) {
    if (from < 0 || from + width > room) faults += what + "; ";
  };
  for (const ScreenLayout::NoticeLine& line : screen.notice) {
    within(line.line, 1, terminal.lines, "notice: " + line.text);
    within(line.column, terminalColumns(line.text), terminal.columns, "notice: " + line.text);
  }
  for (const WidgetLayout& widget : screen.widgets) {
    const BoxArea& box = widget.box;
    const int inside = widget.insideColumns;
    within(box.top, box.lines, terminal.lines, "box of " + widget.caption);
    within(box.left, box.columns, terminal.columns, "box of " + widget.caption);
    within(2, inside, box.columns - 2, "inside wider than the box");
    within(3, terminalColumns(widget.caption), box.columns - 3, "caption: " + widget.caption);
    for (const BoxLine& line : widget.body) {
      const int width = line.rule == Rule::none ? terminalColumns(line.text) : line.ruleColumns;
      within(line.column, width, inside, "body: " + line.text);
    }
    // The body, a blank line, then the help or the buttons.
    const int footTop =
        widget.kind == eWidgetView::Kind::messageBox ? widget.buttonTop() : widget.helpTop();
    within(widget.bodyTop(), static_cast<int>(widget.body.size()) + 1, footTop, "box too short");
    for (const std::string& help : widget.help) within(0, terminalColumns(help), inside, help);
    for (const BoxButton& button : widget.buttons)
      within(button.column, terminalColumns(button.label) + 2, inside, button.label);
  }
  return faults;
}

TEST(ScreenLayout, ATerminalTooSmallSaysHowLargeItMustBe) {
  const eWidgetView window = settingsWindow("  Sort by Filename Ascending >", "Use EIT-Info",
                                            "Enable to use eit-file for the movie display name");
  // Each row: the frame, the terminal, the size it needs, and the notice shown, line by line
  // (not compared where empty).
  const struct {
    eWidgetView widget;
    TerminalSize terminal;
    TerminalSize needed;
    std::string notice;
  } cases[] = {
      {window,
       {30, 10},
       {50, 14},
       "Terminal too small: 30x10,\nneeds 50x14. Enlarge it, or\npress Escape to close.\n"},
      {kAboutBox, {30, 10}, {56, 9}, ""},  // the About box
      {window, {49, 24}, {50, 14}, ""},    // one column short
      {window, {80, 13}, {50, 14}, ""},    // one line short
      // The notice cut to the terminal's three lines.
      {window,
       {20, 3},
       {50, 14},
       "Terminal too small:\n20x3, needs 50x14.\nEnlarge it, or press\n"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(testing::Message() << "row " << &each - cases);
    const ScreenLayout screen = layOutScreen({each.widget}, each.terminal);
    EXPECT_FALSE(screen.fits);
    EXPECT_TRUE(screen.widgets.empty());
    EXPECT_EQ(each.needed, screen.needed);
    EXPECT_EQ("", layoutFault(screen, each.terminal));
    std::string notice;
    for (const ScreenLayout::NoticeLine& line : screen.notice) notice += line.text + "\n";
    EXPECT_TRUE(each.notice.empty() || each.notice == notice) << notice;
  }
}

// Text from the disk is escaped before it is measured, and measured in columns: a row's text goes
// on over lines by its columns, a centred one is centred by them, and a message box is as tall as
// its text wrapped by columns.
TEST(ScreenLayout, TextIsEscapedAndMeasuredInColumns) {
  eWidgetView window = settingsWindow("< 録画を名前で並べ替える、昇順で、最初から最後まで >",
                                      "Использовать\tEIT", "Помощь\n");
  window.caption = "Title\x07";
  window.rows[8].text = "録画";
  eWidgetView box = messageBox(
      "東京の録画リストを再構築します\nΚαλημέρα κόσμε, καλή προβολή\n"
      "Привет мир, список фильмов\nÉté à Noël: déjà vu, ça va",
      {200, 120});
  box.buttons = {"O\x1bK"};
  const ScreenLayout screen = layOutScreen({window, box}, kStandardTerminal);
  ASSERT_TRUE(screen.fits);
  EXPECT_EQ("", layoutFault(screen, kStandardTerminal));
  EXPECT_EQ("Title\\x07", screen.widgets.at(0).caption);
  EXPECT_EQ(std::vector<std::string>{"Помощь\\x0A"}, screen.widgets.at(0).help);
  const std::vector<BoxLine>& body = screen.widgets.at(0).body;
  ASSERT_EQ(10u, body.size());
  // The sort value's 52 columns go on over two lines, both of row 0.
  EXPECT_EQ("< 録画を名前で並べ替える、昇順で、最初から最後", body[0].text);
  EXPECT_EQ((std::pair{0, false}), (std::pair{body[0].row, body[0].continued}));
  EXPECT_EQ("まで >", body[1].text);
  EXPECT_EQ((std::pair{0, true}), (std::pair{body[1].row, body[1].continued}));
  EXPECT_EQ("[x] Использовать\\x09EIT", body[3].text);
  // Centred in 46 columns: four columns wide, not six bytes.
  EXPECT_EQ("録画", body[9].text);
  EXPECT_EQ(21, body[9].column);
  EXPECT_EQ("O\\x1BK", screen.widgets.at(1).buttons.at(0).label);
  // Each of the box's texts takes two lines of the 20 columns inside: measured in bytes, three
  // would take three, and the CJK line in characters one.
  EXPECT_EQ(8 + 4, screen.widgets.at(1).box.lines);
}

}  // namespace
