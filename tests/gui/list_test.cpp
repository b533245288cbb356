// The setup window's list under the remote control: where the cursor starts, how it skips
// separators and stops at the ends, what the list reports, and the help line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/gui/elistboxentrymenu.h"
#include "host/gui/elistboxentrymenuseparator.h"
#include "host/gui/esetupwindow.h"
#include "tests/gui/toolkit_support.h"

namespace {

class ListTest : public ToolkitTest {
 protected:
  // Rows: separator, "A", separator, separator, "B", "C", separator.
  void SetUp() override {
    ToolkitTest::SetUp();
    new eListBoxEntryMenuSeparator(&window.list, nullptr, 0, true);
    new eListBoxEntryMenu(&window.list, "A", "help of A");
    new eListBoxEntryMenuSeparator(&window.list, nullptr, 0, true);
    new eListBoxEntryMenuSeparator(&window.list, nullptr, 0, false);
    new eListBoxEntryMenu(&window.list, "B", "help of B");
    new eListBoxEntryMenu(&window.list, "C", "help of C");
    new eListBoxEntryMenuSeparator(&window.list, nullptr, 0, true);
    window.list.selchanged.connect(
        [this](eListBoxEntryMenu* entry) { reported.push_back(entry->getText()); });
  }

  // Shows the window and plays `played` followed by exit.
  void run(std::vector<eRCKey> played) {
    played.push_back(eRCKey::exit);
    keys.play(played);
    window.show();
    window.exec();
  }

  std::string current() const { return window.list.getCurrent()->getText(); }

  eSetupWindow window{"Test", 7, 400};
  std::vector<std::string> reported;
};

TEST_F(ListTest, CursorStartsOnTheFirstSelectableRow) {
  EXPECT_EQ("A", current());
  EXPECT_EQ(1, window.view().currentRow);
}

TEST_F(ListTest, DownSkipsSeparatorsAndReportsEveryMove) {
  run({eRCKey::down, eRCKey::down});
  EXPECT_EQ("C", current());
  EXPECT_EQ((std::vector<std::string>{"B", "C"}), reported);
}

TEST_F(ListTest, DownStopsOnTheLastSelectableRowWithoutReporting) {
  run({eRCKey::down, eRCKey::down, eRCKey::down, eRCKey::down});
  EXPECT_EQ("C", current());
  EXPECT_EQ((std::vector<std::string>{"B", "C"}), reported);
}

TEST_F(ListTest, UpStopsOnTheFirstSelectableRowWithoutReporting) {
  run({eRCKey::down, eRCKey::up, eRCKey::up});
  EXPECT_EQ("A", current());
  EXPECT_EQ((std::vector<std::string>{"B", "A"}), reported);
}

TEST_F(ListTest, LeftAndRightOnAMenuEntryChangeNothing) {
  run({eRCKey::left, eRCKey::right});
  EXPECT_EQ("A", current());
  EXPECT_TRUE(reported.empty());
}

TEST_F(ListTest, OkReportsTheCurrentEntryAsSelected) {
  std::vector<std::string> selected;
  window.list.selected.connect(
      [&selected](eListBoxEntryMenu* entry) { selected.push_back(entry->getText()); });
  run({eRCKey::down, eRCKey::ok, eRCKey::down, eRCKey::ok});
  EXPECT_EQ((std::vector<std::string>{"B", "C"}), selected);
}

TEST_F(ListTest, HelpTextIsShownOnlyWithTheHelpFlag) {
  EXPECT_EQ("", window.view().help);
  window.list.setFlags(window.list.getFlags() | eListBoxBase::flagShowEntryHelp);
  EXPECT_EQ("help of A", window.view().help);
}

TEST_F(ListTest, RowsAreDrawnInOrderWithTheirKinds) {
  eWidgetView view = window.view();
  ASSERT_EQ(7u, view.rows.size());
  EXPECT_EQ(eRowView::Kind::separator, view.rows[0].kind);
  EXPECT_EQ("A", view.rows[1].text);
  EXPECT_TRUE(view.rows[2].line);
  EXPECT_FALSE(view.rows[3].line);
  EXPECT_EQ("C", view.rows[5].text);
}

TEST_F(ListTest, ExitClosesTheWindowWithoutReporting) {
  run({});
  EXPECT_TRUE(reported.empty());
  EXPECT_EQ((std::vector<std::string>{"shown window \"Test\"", "refresh window \"Test\""}),
            screen.events);
}

TEST(ListWithoutSelectableRows, HasNoCurrentEntryAndIgnoresKeys) {
  eListBox<eListBoxEntryMenu> list;
  new eListBoxEntryMenuSeparator(&list, nullptr, 0, true);
  EXPECT_EQ(nullptr, list.getCurrent());
  EXPECT_FALSE(list.moveDown());
  EXPECT_FALSE(list.changeValue(+1));
  EXPECT_FALSE(list.chooseCurrent());
  EXPECT_EQ(-1, [&list] {
    eWidgetView view;
    list.describe(view);
    return view.currentRow;
  }());
}

}  // namespace
