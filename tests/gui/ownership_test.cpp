// Who owns a list's entries: the list deletes those it still holds, an entry leaves its list
// when it is deleted, and an entry taken out survives the list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/gui/elistbox.h"
#include "host/gui/elistboxentrymenu.h"
#include "host/gui/esetupwindow.h"
#include "host/sigc.h"

namespace {

// A menu entry that writes its name into `deaths` when it is destroyed.
class CountedEntry : public eListBoxEntryMenu {
 public:
  CountedEntry(eListBox<eListBoxEntryMenu>* list, const char* name,
               std::vector<std::string>& deaths)
      : eListBoxEntryMenu(list, name), deaths_(deaths) {}
  ~CountedEntry() override { deaths_.push_back(getText()); }

 private:
  std::vector<std::string>& deaths_;
};

TEST(ListOwnership, TheListDeletesTheEntriesItHoldsWhenItGoes) {
  std::vector<std::string> deaths;
  {
    eListBox<eListBoxEntryMenu> list;
    new CountedEntry(&list, "a", deaths);
    new CountedEntry(&list, "b", deaths);
  }
  EXPECT_EQ(2u, deaths.size());
}

TEST(ListOwnership, AWindowsRowsGoWithTheWindow) {
  std::vector<std::string> deaths;
  {
    eSetupWindow window("Rows", 2, 400);
    new CountedEntry(&window.list, "a", deaths);
    new CountedEntry(&window.list, "b", deaths);
  }
  EXPECT_EQ(2u, deaths.size());
}

TEST(ListOwnership, ClearListDeletesEveryEntry) {
  std::vector<std::string> deaths;
  eListBox<eListBoxEntryMenu> list;
  new CountedEntry(&list, "a", deaths);
  new CountedEntry(&list, "b", deaths);
  list.clearList();
  EXPECT_EQ(2u, deaths.size());
  EXPECT_EQ(0, list.getCount());
  EXPECT_EQ(nullptr, list.getCurrent());
}

TEST(ListOwnership, ADeletedEntryLeavesItsListAndTheCursorMovesOn) {
  std::vector<std::string> deaths;
  eListBox<eListBoxEntryMenu> list;
  auto* first = new CountedEntry(&list, "a", deaths);
  new CountedEntry(&list, "b", deaths);
  delete first;
  EXPECT_EQ(1, list.getCount());
  EXPECT_EQ("b", list.getCurrent()->getText());
}

TEST(ListOwnership, AnEntryTakenOutSurvivesTheList) {
  std::vector<std::string> deaths;
  CountedEntry* kept = nullptr;
  {
    eListBox<eListBoxEntryMenu> list;
    kept = new CountedEntry(&list, "kept", deaths);
    new CountedEntry(&list, "other", deaths);
    list.take(kept, false);
    EXPECT_EQ(nullptr, kept->getListBox());
  }
  EXPECT_EQ((std::vector<std::string>{"other"}), deaths);
  delete kept;
  EXPECT_EQ((std::vector<std::string>{"other", "kept"}), deaths);
}

TEST(ListOwnership, TakingTheCurrentEntryReportsTheNewOneOnlyWhenAsked) {
  eListBox<eListBoxEntryMenu> list;
  auto* first = new eListBoxEntryMenu(&list, "a");
  auto* second = new eListBoxEntryMenu(&list, "b");
  auto* third = new eListBoxEntryMenu(&list, "c");
  std::vector<std::string> reported;
  list.selchanged.connect(
      [&reported](eListBoxEntryMenu* entry) { reported.push_back(entry->getText()); });
  list.take(first, false);
  list.take(second, true);
  EXPECT_EQ((std::vector<std::string>{"c"}), reported);
  EXPECT_EQ(third, list.getCurrent());
  list.append(first, true, true);
  list.append(second, false, false);
  EXPECT_EQ((std::vector<std::string>{"c", "a"}), reported);
  EXPECT_EQ(first, list.getCurrent());
}

// A window whose handler counts the calls it gets.
class CountingWindow : public eSetupWindow {
 public:
  explicit CountingWindow(int& calls) : eSetupWindow("Counting", 1, 400), calls_(calls) {}
  void handle() { ++calls_; }

 private:
  int& calls_;
};

TEST(Signals, ASlotOfADestroyedWindowFallsSilent) {
  SigC::Signal0<void> signal;
  int calls = 0;
  {
    CountingWindow window(calls);
    signal.connect(SigC::slot(window, &CountingWindow::handle));
    signal();
  }
  signal();
  EXPECT_EQ(1, calls);
  EXPECT_EQ(0u, signal.size());
}

TEST(Signals, ADeletedEntryNoLongerListensToItsList) {
  eListBox<eListBoxEntryMenu> list;
  auto* entry = new eListBoxEntryMenu(&list, "gone");
  auto* other = new eListBoxEntryMenu(&list, "stays");
  EXPECT_EQ(2u, list.selected.size());
  delete entry;
  EXPECT_EQ(1u, list.selected.size());
  list.selected(other);
}

}  // namespace
