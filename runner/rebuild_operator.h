// The one-command rebuild: a screen and key source that works the plug-in as a person at the
// remote control would. It reads the display before every key and presses the key that leads
// on: it closes the About box, sets the sort row and the event-information row when asked to,
// chooses "Start Movie-Recovering", closes the outcome, then the window and the last About box.
// The window stores the settings and runs the rebuild itself, as for any other user.
#pragma once

#include <optional>
#include <string>

#include "host/gui/keysource.h"
#include "host/gui/screen.h"

class RebuildOperator : public eScreen, public eKeySource {
 public:
  struct Choices {
    std::optional<int> sortValue;  // the sort row's value to show, counted from 1
    std::optional<bool> checked;   // the event-information row's mark
  };

  explicit RebuildOperator(Choices choices);

  void shown(const eWidgetView&) override {}
  void hidden(const eWidgetView&) override {}
  void refresh(const eScreenFrame& frame) override;
  // The key that leads on from the display last refreshed; nullopt, with problem() set, when
  // the display offers no way on.
  std::optional<eRCKey> nextKey() override;

  // Whether the rebuild row was chosen.
  bool rebuildChosen() const { return rebuildChosen_; }
  // Why no key could be pressed; empty while there was always one.
  const std::string& problem() const { return problem_; }

 private:
  std::optional<eRCKey> inWindow(const eWidgetView& window);
  std::optional<eRCKey> setSortRow(const eWidgetView& window, int row);
  std::optional<eRCKey> setCheckRow(const eWidgetView& window, int row);
  std::optional<eRCKey> chooseRebuildRow(const eWidgetView& window);
  std::optional<eRCKey> stuck(const eWidgetView& widget, const std::string& why);

  Choices choices_;
  eScreenFrame frame_;
  int keysPressed_ = 0;
  // The sort row: its value before the last left, while turning back to its first value;
  // then how far the value shown is from the first.
  std::optional<std::string> sortTextBefore_;
  std::optional<int> sortPosition_;
  bool sortSet_ = false;
  bool rebuildChosen_ = false;
  bool outcomeClosed_ = false;
  std::string problem_;
};
