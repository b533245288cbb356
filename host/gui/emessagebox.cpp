#include "host/gui/emessagebox.h"

#include <libintl.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <clocale>
#include <string_view>
#include <utility>

#include "disk/line_reader.h"
#include "host/gui/geometry.h"

namespace {

constexpr std::array<std::pair<int, const char*>, 4> kButtons{{
    {eMessageBox::btOK, "OK"},
    {eMessageBox::btCancel, "Cancel"},
    {eMessageBox::btYes, "Yes"},
    {eMessageBox::btNo, "No"},
}};

constexpr std::array<std::pair<int, const char*>, 4> kIcons{{
    {eMessageBox::iconInfo, "info"},
    {eMessageBox::iconWarning, "warning"},
    {eMessageBox::iconQuestion, "question"},
    {eMessageBox::iconError, "error"},
}};

const char* buttonLabel(int button) {
  for (const auto& [each, label] : kButtons) {
    if (each == button) return dcgettext(nullptr, label, LC_MESSAGES);
  }
  return "";
}

// The longest line of `text`, in bytes, and the number of its lines.
std::pair<int, int> textExtent(const eString& text) {
  int longest = 0;
  int lines = 0;
  disk::forEachShownLine(text, [&longest, &lines](std::string_view line) {
    longest = std::max(longest, static_cast<int>(line.size()));
    ++lines;
  });
  return {longest, lines};
}

}  // namespace

eMessageBox::eMessageBox(eString text, eString caption, int flags, int defaultButton, int width)
    : eWindow(eWidgetView::Kind::messageBox), text_(std::move(text)), flags_(flags) {
  setText(caption);
  for (const auto& [button, label] : kButtons) {
    if ((flags & button) != 0) buttons_.push_back(button);
  }
  if (buttons_.empty()) buttons_.push_back(btOK);
  auto preset = std::find(buttons_.begin(), buttons_.end(), defaultButton);
  if (preset != buttons_.end()) currentButton_ = preset - buttons_.begin();
  placeOnDisplay(width);
}

int eMessageBox::eventHandler(eRCKey key) {
  switch (key) {
    case eRCKey::left:
      if (currentButton_ > 0) --currentButton_;
      return 1;
    case eRCKey::right:
      if (currentButton_ + 1 < buttons_.size()) ++currentButton_;
      return 1;
    case eRCKey::ok:
      assert(currentButton_ <
             buttons_.size());  // a box always has a button, and left and right stay on them
      close(buttons_[currentButton_]);
      return 1;
    case eRCKey::exit:
      close(-1);
      return 1;
    case eRCKey::up:
    case eRCKey::down:
      return 0;
  }
  return 0;
}

void eMessageBox::describe(eWidgetView& view) const {
  view.text = text_;
  for (int button : buttons_) view.buttons.push_back(buttonLabel(button));
  view.currentButton = static_cast<int>(currentButton_);
  for (const auto& [icon, name] : kIcons) {
    if ((flags_ & icon) != 0) view.icon = name;
  }
}

void eMessageBox::placeOnDisplay(int width) {
  auto [longest, lines] = textExtent(text_);
  eSize size{std::max(width, (longest + 4) * kCharacterWidth), (lines + 4) * kRowHeight};
  resize(size);
  move({(kDisplaySize.width - size.width) / 2, (kDisplaySize.height - size.height) / 2});
}
