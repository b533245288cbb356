#include "display/headless.h"

#include <string>
#include <utility>

#include "display/screen_layout.h"

namespace {

// `line` without the blanks that end it.
void writeTrimmed(std::ostream& out, std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  out << line << '\n';
}

// A separator's rule: `=` for one drawn with the skin's image, `-` for a plain line.
std::string ruleText(const BoxLine& line) {
  return std::string(line.column, ' ') +
         std::string(line.ruleColumns, line.rule == Rule::image ? '=' : '-');
}

// A window's rows, the current one marked with "> ", and its help text after "help: ".
void writeListWindow(std::ostream& out, const WidgetLayout& layout) {
  for (const BoxLine& each : layout.body) {
    const bool marked = each.row == layout.currentRow && !each.continued;
    writeTrimmed(
        out, (marked ? "  > " : "    ") + (each.rule == Rule::none ? each.text : ruleText(each)));
  }
  for (std::size_t index = 0; index < layout.help.size(); ++index)
    out << (index == 0 ? "  help: " : "        ") << layout.help[index] << '\n';
}

// A message box's text and its buttons, one line of buttons a line, the current one in
// brackets.
void writeMessageBox(std::ostream& out, const WidgetLayout& layout) {
  for (const BoxLine& each : layout.body) out << "  " << each.text << '\n';
  std::string buttons = " ";
  for (std::size_t index = 0; index < layout.buttons.size(); ++index) {
    const BoxButton& button = layout.buttons[index];
    if (index > 0 && button.line != layout.buttons[index - 1].line)
      writeTrimmed(out, std::exchange(buttons, " "));
    buttons += button.current ? " [" + button.label + "]" : "  " + button.label + " ";
  }
  writeTrimmed(out, buttons);
}

}  // namespace

HeadlessDisplay::HeadlessDisplay(std::vector<eRCKey> keys, std::ostream& out)
    : keys_(std::move(keys)), out_(out) {}

void HeadlessDisplay::shown(const eWidgetView& widget) {
  if (ended_) return;
  out_ << "show ";
  writeWidget(widget);
  screenOwed_ = false;
}

void HeadlessDisplay::hidden(const eWidgetView& widget) {
  if (ended_) return;
  out_ << "hide " << widgetLabel(widget) << '\n';
}

void HeadlessDisplay::refresh(const eScreenFrame& frame) {
  if (ended_ || !screenOwed_) return;
  screenOwed_ = false;
  if (frame.empty()) {
    out_ << "screen: nothing shown\n";
    return;
  }
  out_ << "screen:\n";
  for (const eWidgetView& widget : frame) writeWidget(widget);
}

std::optional<eRCKey> HeadlessDisplay::nextKey() {
  if (nextIndex_ == keys_.size()) {
    if (!ended_) out_ << "end of keys\n";
    ended_ = true;
    out_.flush();
    return std::nullopt;
  }
  eRCKey key = keys_[nextIndex_++];
  out_ << "key " << keyName(key) << '\n';
  screenOwed_ = true;
  return key;
}

// `window "Quillon v2.00" at (170, 80)`, then the widget laid out as on the terminal, each line
// indented by two blanks; a text wrapped in its box goes on over the lines below, indented alike.
void HeadlessDisplay::writeWidget(const eWidgetView& widget) {
  out_ << widgetLabel(widget) << " at (" << std::to_string(widget.position.x) << ", "
       << std::to_string(widget.position.y) << ")";
  if (!widget.icon.empty()) out_ << " [" << widget.icon << "]";
  out_ << '\n';
  const WidgetLayout layout = layOutWidget(widget);
  if (layout.kind == eWidgetView::Kind::messageBox) {
    writeMessageBox(out_, layout);
  } else {
    writeListWindow(out_, layout);
  }
}
