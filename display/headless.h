// The headless screen and key source: keys come from a script, and everything the host shows
// is written as plain text, laid out as on the terminal (display/screen_layout.h). Every widget
// shown is written in full when it appears; after each key the whole display is written again,
// unless what the key brought up was already written.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <vector>

#include "host/gui/keysource.h"
#include "host/gui/screen.h"

class HeadlessDisplay : public eScreen, public eKeySource {
 public:
  HeadlessDisplay(std::vector<eRCKey> keys, std::ostream& out);

  void shown(const eWidgetView& widget) override;
  void hidden(const eWidgetView& widget) override;
  void refresh(const eScreenFrame& frame) override;
  // The next key of the script; when it has ended, writes "end of keys" and stays silent.
  std::optional<eRCKey> nextKey() override;

 private:
  void writeWidget(const eWidgetView& widget);

  std::vector<eRCKey> keys_;
  std::size_t nextIndex_ = 0;
  std::ostream& out_;
  // A key has been handed out and the display has not been written since.
  bool screenOwed_ = false;
  bool ended_ = false;
};
