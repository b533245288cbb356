// The host's one modal loop: exec runs until the widget closes, a box opened from a window
// runs its own loop nested in the window's, the screen sees every widget come and go, and a
// loop that needs a key when none can come ends instead of waiting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/gui/emessagebox.h"
#include "host/gui/esetupwindow.h"
#include "host/gui/ewidget.h"
#include "tests/gui/toolkit_support.h"

namespace {

// A setup window whose one row opens a message box over the hidden window.
class WindowWithBox : public eSetupWindow {
 public:
  WindowWithBox() : eSetupWindow("Window", 1, 400) {
    auto* row = new eListBoxEntryMenu(&list, "open");
    row->selected.connect(SigC::slot(*this, &WindowWithBox::openBox));
  }
  void openBox() {
    hide();
    eMessageBox box("Done.", "Box", eMessageBox::btOK | eMessageBox::iconInfo, 1, 0);
    box.show();
    boxResults.push_back(box.exec());
    box.hide();
    show();
  }
  std::vector<int> boxResults;
};

class ModalLoopTest : public ToolkitTest {};

TEST_F(ModalLoopTest, ABoxOpenedFromTheWindowRunsNestedAndTheWindowComesBack) {
  WindowWithBox window;
  keys.play({eRCKey::ok, eRCKey::ok, eRCKey::exit});
  window.show();
  EXPECT_EQ(0, window.exec());
  window.hide();
  EXPECT_EQ((std::vector<int>{eMessageBox::btOK}), window.boxResults);
  EXPECT_EQ((std::vector<std::string>{
                "shown window \"Window\"",
                "refresh window \"Window\"",
                "hidden window \"Window\"",
                "shown message box \"Box\"",
                "refresh message box \"Box\"",
                "hidden message box \"Box\"",
                "shown window \"Window\"",
                "refresh window \"Window\"",
                "hidden window \"Window\"",
            }),
            screen.events);
}

TEST_F(ModalLoopTest, ExitClosesTheBoxWithMinusOne) {
  WindowWithBox window;
  keys.play({eRCKey::ok, eRCKey::exit, eRCKey::exit});
  window.exec();
  EXPECT_EQ((std::vector<int>{-1}), window.boxResults);
}

TEST_F(ModalLoopTest, ALoopWithoutKeysEndsNamingTheWidgetThatWaits) {
  WindowWithBox window;
  keys.play({eRCKey::ok});
  window.show();
  try {
    window.exec();
    FAIL() << "exec returned without keys";
  } catch (const eNoMoreKeys& ended) {
    EXPECT_EQ("message box \"Box\"", ended.waiting());
  }
  // The box was destroyed on the way out, and the window had hidden itself for it.
  EXPECT_EQ("hidden message box \"Box\"", screen.events.back());
  EXPECT_TRUE(currentScreenFrame().empty());
}

TEST_F(ModalLoopTest, NoKeySourceMeansNoKeysRatherThanWaiting) {
  eKeySource::setActive(nullptr);
  eSetupWindow window("Alone", 1, 400);
  EXPECT_THROW(window.exec(), eNoMoreKeys);
}

TEST_F(ModalLoopTest, AWidgetDestroyedWhileShownLeavesTheDisplay) {
  {
    eMessageBox box("text", "Going", eMessageBox::btOK, 1, 0);
    box.show();
    EXPECT_EQ(1u, currentScreenFrame().size());
  }
  EXPECT_TRUE(currentScreenFrame().empty());
  EXPECT_EQ("hidden message box \"Going\"", screen.events.back());
}

TEST_F(ModalLoopTest, ShowingTwiceAndHidingTwiceTellTheScreenOnce) {
  eSetupWindow window("Twice", 1, 400);
  window.show();
  window.show();
  window.hide();
  window.hide();
  EXPECT_EQ((std::vector<std::string>{"shown window \"Twice\"", "hidden window \"Twice\""}),
            screen.events);
}

TEST_F(ModalLoopTest, TheDisplayListsShownWidgetsFromBottomToTop) {
  eSetupWindow window("Below", 1, 400);
  eMessageBox box("text", "Above", eMessageBox::btOK, 1, 0);
  window.show();
  box.show();
  keys.play({eRCKey::ok});
  box.exec();
  ASSERT_EQ(2u, screen.lastFrame.size());
  EXPECT_EQ("Below", screen.lastFrame[0].caption);
  EXPECT_EQ("Above", screen.lastFrame[1].caption);
}

class MessageBoxTest : public ToolkitTest {};

TEST_F(MessageBoxTest, LeftAndRightMoveBetweenButtonsAndOkTakesTheCurrentOne) {
  eMessageBox box("Sure?", "Question", eMessageBox::btYes | eMessageBox::btNo, eMessageBox::btNo,
                  0);
  EXPECT_EQ(1, box.view().currentButton);
  keys.play({eRCKey::right, eRCKey::left, eRCKey::left, eRCKey::ok});
  EXPECT_EQ(eMessageBox::btYes, box.exec());
}

TEST_F(MessageBoxTest, ShowsItsTextIconAndButtons) {
  eMessageBox box("one\ntwo", "Caption", eMessageBox::btOK | eMessageBox::iconInfo, 1, 0);
  eWidgetView view = box.view();
  EXPECT_EQ(eWidgetView::Kind::messageBox, view.kind);
  EXPECT_EQ("Caption", view.caption);
  EXPECT_EQ("one\ntwo", view.text);
  EXPECT_EQ("info", view.icon);
  EXPECT_EQ((std::vector<eString>{"OK"}), view.buttons);
}

TEST_F(MessageBoxTest, ABoxWithoutButtonsGetsOk) {
  eMessageBox box("text", "Plain", 0, 0, 0);
  EXPECT_EQ((std::vector<eString>{"OK"}), box.view().buttons);
  EXPECT_EQ("", box.view().icon);
}

TEST_F(MessageBoxTest, IsCentredOnTheDisplayAndAtLeastAsWideAsAsked) {
  eMessageBox box("short", "Wide", eMessageBox::btOK, 1, 500);
  const eSize size = box.getSize();
  EXPECT_EQ(500, size.width);
  EXPECT_EQ((ePoint{(720 - size.width) / 2, (576 - size.height) / 2}), box.getPosition());
}

TEST_F(MessageBoxTest, GrowsWithItsLongestLine) {
  eMessageBox narrow("abc", "N", eMessageBox::btOK, 1, 0);
  eMessageBox wide("abc\nabcdefghij", "W", eMessageBox::btOK, 1, 0);
  EXPECT_EQ(7 * 8, wide.getSize().width - narrow.getSize().width);
  EXPECT_EQ(20, wide.getSize().height - narrow.getSize().height);
}

}  // namespace
