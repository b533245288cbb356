#include "display/headless.h"

#include <utility>

#include "display/text_render.h"

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

void HeadlessDisplay::writeWidget(const eWidgetView& widget) {
  out_ << widgetHeading(widget) << '\n';
  for (const std::string& line : widgetBody(widget)) out_ << line << '\n';
}
