#include "runner/rebuild_operator.h"

#include <algorithm>
#include <utility>

namespace {

// The row that starts the rebuild, by the text the window shows (never translated).
constexpr std::string_view kRebuildRow = "Start Movie-Recovering";

// Far more than any way through the window takes; a display that never leads on ends there.
constexpr int kMostKeys = 64;

// The first row of `kind`; -1 when there is none.
int firstRow(const eWidgetView& window, eRowView::Kind kind) {
  const auto row = std::find_if(window.rows.begin(), window.rows.end(),
                                [kind](const eRowView& each) { return each.kind == kind; });
  return row == window.rows.end() ? -1 : static_cast<int>(row - window.rows.begin());
}

int rebuildRow(const eWidgetView& window) {
  const auto row = std::find_if(window.rows.begin(), window.rows.end(), [](const eRowView& each) {
    return each.kind == eRowView::Kind::menu && each.text == kRebuildRow;
  });
  return row == window.rows.end() ? -1 : static_cast<int>(row - window.rows.begin());
}

// The key that moves the cursor towards `row`; nullopt when it is there.
std::optional<eRCKey> towards(const eWidgetView& window, int row) {
  if (window.currentRow == row) return std::nullopt;
  return window.currentRow < row ? eRCKey::down : eRCKey::up;
}

}  // namespace

RebuildOperator::RebuildOperator(Choices choices) : choices_(std::move(choices)) {}

void RebuildOperator::refresh(const eScreenFrame& frame) {
  frame_ = frame;
}

std::optional<eRCKey> RebuildOperator::nextKey() {
  if (frame_.empty()) return stuck({}, "nothing is shown");
  const eWidgetView& top = frame_.back();
  if (++keysPressed_ > kMostKeys) return stuck(top, "does not lead on");
  if (top.kind == eWidgetView::Kind::messageBox) {
    if (rebuildChosen_) outcomeClosed_ = true;
    return eRCKey::ok;
  }
  return inWindow(top);
}

std::optional<eRCKey> RebuildOperator::inWindow(const eWidgetView& window) {
  if (outcomeClosed_) return eRCKey::exit;
  if (choices_.sortValue && !sortSet_) {
    const int row = firstRow(window, eRowView::Kind::multi);
    if (row < 0) return stuck(window, "has no row to choose the sort order");
    if (std::optional<eRCKey> key = setSortRow(window, row); key || !problem_.empty()) return key;
  }
  if (choices_.checked) {
    const int row = firstRow(window, eRowView::Kind::check);
    if (row < 0) return stuck(window, "has no row to switch event information");
    if (std::optional<eRCKey> key = setCheckRow(window, row); key || !problem_.empty()) return key;
  }
  return chooseRebuildRow(window);
}

// Turns the sort row back to its first value (until a left changes nothing), then right until
// the value wanted shows; nullopt once it does.
std::optional<eRCKey> RebuildOperator::setSortRow(const eWidgetView& window, int row) {
  if (std::optional<eRCKey> key = towards(window, row)) return key;
  const std::string& text = window.rows[static_cast<std::size_t>(row)].text;
  if (!sortPosition_) {
    if (sortTextBefore_ != text) {
      sortTextBefore_ = text;
      return eRCKey::left;
    }
    sortPosition_ = 1;
  } else if (sortTextBefore_ == text) {
    return stuck(window, "has no sort order " + std::to_string(*choices_.sortValue));
  }
  if (*sortPosition_ == *choices_.sortValue) {
    sortSet_ = true;
    return std::nullopt;
  }
  sortTextBefore_ = text;
  ++*sortPosition_;
  return eRCKey::right;
}

std::optional<eRCKey> RebuildOperator::setCheckRow(const eWidgetView& window, int row) {
  if (window.rows[static_cast<std::size_t>(row)].checked == *choices_.checked) return std::nullopt;
  if (std::optional<eRCKey> key = towards(window, row)) return key;
  return eRCKey::ok;
}

std::optional<eRCKey> RebuildOperator::chooseRebuildRow(const eWidgetView& window) {
  const int row = rebuildRow(window);
  if (row < 0) return stuck(window, "has no row \"" + std::string(kRebuildRow) + "\"");
  if (std::optional<eRCKey> key = towards(window, row)) return key;
  rebuildChosen_ = true;
  return eRCKey::ok;
}

std::optional<eRCKey> RebuildOperator::stuck(const eWidgetView& widget, const std::string& why) {
  problem_ = widget.caption.empty() ? why : std::string(widgetLabel(widget)) + " " + why;
  return std::nullopt;
}
