#include "display/text_render.h"

#include "display/screen_layout.h"

namespace {

void dropTrailingBlanks(std::string& line) {
  line.erase(line.find_last_not_of(' ') + 1);
}

// A separator's rule: `=` for one drawn with the skin's image, `-` for a plain line.
std::string ruleText(const BoxLine& line) {
  return std::string(line.column, ' ') +
         std::string(line.ruleColumns, line.rule == Rule::image ? '=' : '-');
}

void addListLines(const WidgetLayout& layout, std::vector<std::string>& lines) {
  for (const BoxLine& each : layout.body) {
    const bool marked = each.row == layout.currentRow && !each.continued;
    std::string line =
        (marked ? "  > " : "    ") + (each.rule == Rule::none ? each.text : ruleText(each));
    dropTrailingBlanks(line);
    lines.push_back(std::move(line));
  }
  for (std::size_t index = 0; index < layout.help.size(); ++index)
    lines.push_back((index == 0 ? "  help: " : "        ") + layout.help[index]);
}

void addButtonLine(std::string& buttons, std::vector<std::string>& lines) {
  dropTrailingBlanks(buttons);
  lines.push_back(std::move(buttons));
}

void addMessageLines(const WidgetLayout& layout, std::vector<std::string>& lines) {
  for (const BoxLine& each : layout.body) lines.push_back("  " + each.text);
  std::string buttons;
  for (std::size_t index = 0; index < layout.buttons.size(); ++index) {
    const BoxButton& button = layout.buttons[index];
    if (index == 0 || button.line != layout.buttons[index - 1].line) {
      if (index > 0) addButtonLine(buttons, lines);
      buttons = " ";
    }
    buttons += button.current ? " [" + button.label + "]" : "  " + button.label + " ";
  }
  addButtonLine(buttons, lines);
}

}  // namespace

std::string widgetHeading(const eWidgetView& widget) {
  std::string heading = widgetLabel(widget) + " at (" + std::to_string(widget.position.x) + ", " +
                        std::to_string(widget.position.y) + ")";
  if (!widget.icon.empty()) heading += " [" + widget.icon + "]";
  return heading;
}

std::vector<std::string> widgetBody(const eWidgetView& widget) {
  const WidgetLayout layout = layOutWidget(widget);
  std::vector<std::string> lines;
  if (widget.kind == eWidgetView::Kind::messageBox) {
    addMessageLines(layout, lines);
  } else {
    addListLines(layout, lines);
  }
  return lines;
}
