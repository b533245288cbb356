#include "display/screen_layout.h"

#include <libintl.h>

#include <algorithm>
#include <clocale>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "disk/line_reader.h"
#include "display/terminal_escape.h"
#include "display/text_wrap.h"
#include "host/gui/geometry.h"

namespace {

// A box's border and padding, on either side together.
constexpr int kFrameColumns = 4;
// The top border around the caption: a corner, a line and a blank on either side.
constexpr int kCaptionFrameColumns = 6;
// Between two buttons on a line.
constexpr int kButtonGap = 2;

std::string sizeText(TerminalSize size) {
  return std::to_string(size.columns) + "x" + std::to_string(size.lines);
}

int insideColumnsOf(const eWidgetView& widget) {
  return std::max(kWidestUnit, widget.size.width / kCharacterWidth - kFrameColumns);
}

// A widget's texts, each escaped once, before anything is measured, wrapped or placed.
struct EscapedTexts {
  std::string caption;
  std::vector<std::string> rows;  // a list's rows, a check row with its mark; "" for a separator
  std::string help;
  std::vector<std::string> lines;  // a message box's text, line by line
  std::vector<std::string> buttons;
};

EscapedTexts escapedTexts(const eWidgetView& widget) {
  EscapedTexts texts;
  texts.caption = escapeForTerminal(widget.caption);
  texts.help = escapeForTerminal(widget.help);
  for (const eRowView& row : widget.rows) {
    texts.rows.push_back(escapeForTerminal(row.text));
    if (row.kind == eRowView::Kind::check)
      texts.rows.back().insert(0, row.checked ? "[x] " : "[ ] ");
  }
  disk::forEachShownLine(widget.text, [&texts](std::string_view line) {
    texts.lines.push_back(escapeForTerminal(line));
  });
  for (const eString& button : widget.buttons) texts.buttons.push_back(escapeForTerminal(button));
  return texts;
}

void addSeparator(const eRowView& row, int index, int inside, std::vector<BoxLine>& body) {
  BoxLine line;
  line.row = index;
  line.rule = !row.image.empty() ? Rule::image : row.line ? Rule::line : Rule::none;
  line.column = std::clamp(row.margin, 0, inside);
  line.ruleColumns = std::max(0, inside - 2 * line.column);
  body.push_back(line);
}

// Where a line of `free` unused columns begins in the row.
int columnOf(eRowView::Align align, int free, int indent) {
  switch (align) {
    case eRowView::Align::right:
      return free;
    case eRowView::Align::centre:
      return free / 2;
    case eRowView::Align::left:
      break;
  }
  return indent;
}

// A menu, multi or check row: its text wrapped to the inside, each line aligned on its own.
void addTextRow(const eRowView& row, std::string_view text, int index, int inside,
                std::vector<BoxLine>& body) {
  const int indent =
      row.align == eRowView::Align::left ? std::clamp(row.indent, 0, inside - kWidestUnit) : 0;
  bool continued = false;
  for (TerminalLine& each : wrapToColumns(text, inside - indent)) {
    BoxLine line;
    line.column = columnOf(row.align, inside - each.columns, indent);
    line.text = std::move(each.text);
    line.row = index;
    line.continued = continued;
    continued = true;
    body.push_back(std::move(line));
  }
}

// A window: its rows, a rule, its help text at the foot.
void layOutListWindow(const eWidgetView& widget, const EscapedTexts& texts, WidgetLayout& layout) {
  for (std::size_t index = 0; index < widget.rows.size(); ++index) {
    const eRowView& row = widget.rows[index];
    if (row.kind == eRowView::Kind::separator) {
      addSeparator(row, static_cast<int>(index), layout.insideColumns, layout.body);
    } else {
      addTextRow(row, texts.rows[index], static_cast<int>(index), layout.insideColumns,
                 layout.body);
    }
  }
  layout.currentRow = widget.currentRow;
  if (texts.help.empty()) return;
  for (TerminalLine& each : wrapToColumns(texts.help, layout.insideColumns))
    layout.help.push_back(std::move(each.text));
}

// Buttons side by side, onto a further line where the inside is full.
void layOutButtons(const eWidgetView& widget, const EscapedTexts& texts, WidgetLayout& layout) {
  int line = 0;
  int column = 0;
  for (std::size_t index = 0; index < texts.buttons.size(); ++index) {
    TerminalLine label = cutToColumns(texts.buttons[index], layout.insideColumns - 2);
    const int width = label.columns + 2;
    if (column > 0 && column + width > layout.insideColumns) {
      ++line;
      column = 0;
    }
    layout.buttons.push_back(
        {std::move(label.text), line, column, static_cast<int>(index) == widget.currentButton});
    column += width + kButtonGap;
  }
}

int buttonLineCount(const WidgetLayout& layout) {
  return layout.buttons.empty() ? 0 : layout.buttons.back().line + 1;
}

// A message box: its text, line by line, and its buttons at the foot.
void layOutMessageBox(const eWidgetView& widget, const EscapedTexts& texts, WidgetLayout& layout) {
  for (const std::string& line : texts.lines) {
    for (TerminalLine& each : wrapToColumns(line, layout.insideColumns))
      layout.body.push_back({.text = std::move(each.text)});
  }
  layOutButtons(widget, texts, layout);
}

// The lines the box's content needs: borders, body, and the foot below a rule or a blank line.
int contentLines(const WidgetLayout& layout) {
  const int foot = layout.kind == eWidgetView::Kind::messageBox
                       ? buttonLineCount(layout)
                       : std::max(1, static_cast<int>(layout.help.size()));
  return 2 + static_cast<int>(layout.body.size()) + 1 + foot;
}

// `text` with each `{name}` of `values` put in, wherever the translation has it.
std::string withValues(std::string text,
                       std::initializer_list<std::pair<std::string_view, std::string>> values) {
  for (const auto& [name, value] : values) {
    if (const std::size_t at = text.find(name); at != std::string::npos)
      text.replace(at, name.size(), value);
  }
  return text;
}

std::vector<ScreenLayout::NoticeLine> tooSmallNotice(TerminalSize terminal, TerminalSize needed) {
  // Translated as the host's other texts on the display are.
  const std::string text = withValues(
      dcgettext(nullptr,
                "Terminal too small: {size}, needs {needed}. Enlarge it, or press Escape to close.",
                LC_MESSAGES),
      {{"{size}", sizeText(terminal)}, {"{needed}", sizeText(needed)}});
  std::vector<TerminalLine> lines = wrapToColumns(text, std::max(kWidestUnit, terminal.columns));
  lines.resize(std::min(lines.size(), static_cast<std::size_t>(std::max(0, terminal.lines))));
  std::vector<ScreenLayout::NoticeLine> notice;
  const int top = (terminal.lines - static_cast<int>(lines.size())) / 2;
  for (const TerminalLine& each : lines) {
    TerminalLine line = cutToColumns(each.text, terminal.columns);
    const int column = (terminal.columns - line.columns) / 2;
    notice.push_back({top + static_cast<int>(notice.size()), column, std::move(line.text)});
  }
  return notice;
}

}  // namespace

int WidgetLayout::helpTop() const {
  return box.top + box.lines - 1 - std::max(1, static_cast<int>(help.size()));
}

int WidgetLayout::buttonTop() const {
  return box.top + box.lines - 1 - buttonLineCount(*this);
}

WidgetLayout layOutWidget(const eWidgetView& widget) {
  const EscapedTexts texts = escapedTexts(widget);
  WidgetLayout layout;
  layout.kind = widget.kind;
  layout.insideColumns = insideColumnsOf(widget);
  if (widget.kind == eWidgetView::Kind::messageBox) {
    layOutMessageBox(widget, texts, layout);
  } else {
    layOutListWindow(widget, texts, layout);
  }
  layout.box = {widget.position.y / kRowHeight, widget.position.x / kCharacterWidth,
                std::max(widget.size.height / kRowHeight, contentLines(layout)),
                layout.insideColumns + kFrameColumns};
  layout.caption =
      cutToColumns(texts.caption, std::max(0, layout.box.columns - kCaptionFrameColumns)).text;
  return layout;
}

ScreenLayout layOutScreen(const eScreenFrame& frame, TerminalSize terminal) {
  ScreenLayout screen;
  std::vector<WidgetLayout> widgets;
  for (const eWidgetView& widget : frame) {
    widgets.push_back(layOutWidget(widget));
    screen.needed.columns = std::max(screen.needed.columns, widgets.back().box.columns);
    screen.needed.lines = std::max(screen.needed.lines, widgets.back().box.lines);
  }
  screen.fits = screen.needed.columns <= terminal.columns && screen.needed.lines <= terminal.lines;
  if (!screen.fits) {
    screen.notice = tooSmallNotice(terminal, screen.needed);
    return screen;
  }
  for (WidgetLayout& widget : widgets) {
    widget.box.top = std::clamp(widget.box.top, 0, terminal.lines - widget.box.lines);
    widget.box.left = std::clamp(widget.box.left, 0, terminal.columns - widget.box.columns);
  }
  screen.widgets = std::move(widgets);
  return screen;
}
