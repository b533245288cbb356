// The host's one modal loop: a box opened from a window runs its own loop nested in the
// window's, hands its answer back, and the window's loop goes on with the next key.
#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <vector>

#include "host/gui/active_display.h"
#include "host/gui/emessagebox.h"
#include "host/gui/esetupwindow.h"
#include "host/gui/keysource.h"

namespace {

class ScriptedKeys : public eKeySource {
 public:
  explicit ScriptedKeys(std::vector<eRCKey> keys) : keys_(std::move(keys)) {}
  std::optional<eRCKey> nextKey() override {
    if (next_ == keys_.size()) return std::nullopt;
    return keys_[next_++];
  }
  std::size_t left() const { return keys_.size() - next_; }

 private:
  std::vector<eRCKey> keys_;
  std::size_t next_ = 0;
};

// A setup window whose one row opens a message box over the hidden window.
class WindowWithBox : public eSetupWindow {
 public:
  WindowWithBox() : eSetupWindow("Window", 1, 400) {
    auto* row = new eListBoxEntryMenu(&list, "open");
    row->selected.connect(SigC::slot(*this, &WindowWithBox::openBox));
  }
  void openBox() {
    hide();
    eMessageBox box("Done.", "Box", eMessageBox::btOK, 1, 0);
    box.show();
    boxResults.push_back(box.exec());
    box.hide();
    show();
  }
  std::vector<int> boxResults;
};

TEST(ModalLoop, ABoxRunsNestedInTheWindowsLoopWhichGoesOnAfterIt) {
  struct Case {
    eRCKey boxKey;
    int boxResult;
  };
  for (const Case& each : {Case{eRCKey::ok, eMessageBox::btOK}, Case{eRCKey::exit, -1}}) {
    ScriptedKeys keys({eRCKey::ok, each.boxKey, eRCKey::exit});
    const eActiveDisplay active(nullptr, &keys);
    WindowWithBox window;
    window.show();
    EXPECT_EQ(0, window.exec());
    EXPECT_EQ(std::vector<int>{each.boxResult}, window.boxResults);
    EXPECT_EQ(0u, keys.left()) << "box key " << keyName(each.boxKey);
  }
}

TEST(ActiveDisplay, BringsBackThePreviousScreenAndKeysWhenItsScopeEndsByAnException) {
  ScriptedKeys outerKeys({});
  ScriptedKeys innerKeys({});
  const eActiveDisplay outer(nullptr, &outerKeys);
  try {
    const eActiveDisplay inner(nullptr, &innerKeys);
    ASSERT_EQ(&innerKeys, eKeySource::getActive());
    throw std::runtime_error("leaves the scope");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(&outerKeys, eKeySource::getActive());
  EXPECT_EQ(nullptr, eScreen::getActive());
}

}  // namespace
