#include "runner/text_render.h"

#include <algorithm>

#include "host/gui/geometry.h"

namespace {

// A window frame's share of a row: border and padding on either side.
constexpr int kFrameColumns = 4;

std::string separatorText(const eRowView& row, int columns) {
  const int length = std::max(0, columns - 2 * row.margin);
  if (!row.image.empty()) return std::string(row.margin, ' ') + std::string(length, '=');
  if (row.line) return std::string(row.margin, ' ') + std::string(length, '-');
  return "";
}

std::string rowText(const eRowView& row, int columns) {
  switch (row.kind) {
    case eRowView::Kind::menu:
    case eRowView::Kind::multi:
      return row.text;
    case eRowView::Kind::check:
      return (row.checked ? "[x] " : "[ ] ") + row.text;
    case eRowView::Kind::separator:
      return separatorText(row, columns);
  }
  return row.text;
}

void addListLines(const eWidgetView& widget, std::vector<std::string>& lines) {
  const int columns = widget.size.width / kCharacterWidth - kFrameColumns;
  for (std::size_t index = 0; index < widget.rows.size(); ++index) {
    const char* marker = static_cast<int>(index) == widget.currentRow ? "  > " : "    ";
    std::string line = marker + rowText(widget.rows[index], columns);
    line.erase(line.find_last_not_of(' ') + 1);
    lines.push_back(line);
  }
  if (!widget.help.empty()) lines.push_back("  help: " + widget.help);
}

void addMessageLines(const eWidgetView& widget, std::vector<std::string>& lines) {
  std::size_t start = 0;
  while (start <= widget.text.size()) {
    std::size_t end = std::min(widget.text.find('\n', start), widget.text.size());
    lines.push_back("  " + widget.text.substr(start, end - start));
    start = end + 1;
  }
  std::string buttons = " ";
  for (std::size_t index = 0; index < widget.buttons.size(); ++index) {
    const bool current = static_cast<int>(index) == widget.currentButton;
    buttons += current ? " [" + widget.buttons[index] + "]" : "  " + widget.buttons[index] + " ";
  }
  buttons.erase(buttons.find_last_not_of(' ') + 1);
  lines.push_back(buttons);
}

}  // namespace

std::string widgetHeading(const eWidgetView& widget) {
  std::string heading = widgetLabel(widget) + " at (" + std::to_string(widget.position.x) + ", " +
                        std::to_string(widget.position.y) + ")";
  if (!widget.icon.empty()) heading += " [" + widget.icon + "]";
  return heading;
}

std::vector<std::string> widgetBody(const eWidgetView& widget) {
  std::vector<std::string> lines;
  if (widget.kind == eWidgetView::Kind::messageBox) {
    addMessageLines(widget, lines);
  } else {
    addListLines(widget, lines);
  }
  return lines;
}
