// The list's cursor and a multi entry's values under the remote control's keys (separators are
// skipped, both stop at their ends without reporting, an unknown key falls back); who owns a
// list's entries; and the active display coming back when a scope ends by an exception. How a
// box opened from the window runs nested in its loop is the key-script transcripts' (info).
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/gui/active_display.h"
#include "host/gui/elistbox.h"
#include "host/gui/elistboxentrymenuseparator.h"
#include "host/gui/elistboxentrymulti.h"
#include "host/gui/keysource.h"

namespace {

TEST(ListCursor, SkipsSeparatorsAndStopsAtBothEndsReportingOnlyMoves) {
  eListBox<eListBoxEntryMenu> list;
  // "-" a separator drawn as a line, " " one left blank, else a menu entry.
  for (const std::string name : {"-", "A", "-", " ", "B", "C", "-"}) {
    if (name == "-" || name == " ")
      new eListBoxEntryMenuSeparator(&list, nullptr, 0, name == "-");
    else
      new eListBoxEntryMenu(&list, name.c_str());
  }
  std::vector<std::string> reported;
  list.selchanged.connect(
      [&reported](eListBoxEntryMenu* entry) { reported.push_back(entry->getText()); });
  EXPECT_EQ("A", list.getCurrent()->getText());
  const std::vector<bool> moved{list.moveUp(), list.moveDown(), list.moveDown(), list.moveDown(),
                                list.moveUp(), list.moveUp(),   list.moveUp()};
  EXPECT_EQ((std::vector<bool>{false, true, true, false, true, true, false}), moved);
  EXPECT_EQ((std::vector<std::string>{"B", "C", "B", "A"}), reported);
}

TEST(MultiEntry, StepsStopAtBothEndsAndAnUnknownKeyShowsTheFirstValue) {
  eListBox<eListBoxEntryMenu> list;
  auto* multi = new eListBoxEntryMulti(&list, "pick one");
  multi->add("first", 10);
  multi->add("second", 20);
  multi->add("third", 30);
  const std::vector<bool> changed{list.changeValue(-1), list.changeValue(+1), list.changeValue(+1),
                                  list.changeValue(+1)};
  EXPECT_EQ((std::vector<bool>{false, true, true, false}), changed);
  EXPECT_EQ("third", multi->view().text);
  multi->setCurrent(99);
  EXPECT_EQ("first", multi->view().text);
  EXPECT_EQ(10, static_cast<int>(reinterpret_cast<std::intptr_t>(multi->getKey())));
}

// A menu entry that writes its name into `deaths` when it is destroyed.
struct CountedEntry : eListBoxEntryMenu {
  CountedEntry(eListBox<eListBoxEntryMenu>* list, const char* name, std::vector<std::string>& into)
      : eListBoxEntryMenu(list, name), deaths(into) {}
  ~CountedEntry() override { deaths.push_back(getText()); }
  std::vector<std::string>& deaths;
};

// The list deletes the entries it still holds, a deleted entry leaves it, and its slots fall
// silent.
TEST(ListOwnership, TheListDeletesWhatItHoldsAndADeletedEntryLeavesIt) {
  std::vector<std::string> deaths;
  {
    eListBox<eListBoxEntryMenu> list;
    auto* first = new CountedEntry(&list, "a", deaths);
    auto* second = new CountedEntry(&list, "b", deaths);
    int chosen = 0;
    second->selected.connect([&chosen] { ++chosen; });
    const std::size_t listening = list.selected.size();
    delete first;
    EXPECT_EQ(listening - 1, list.selected.size()) << "the deleted entry's slot is gone";
    list.selected(second);
    EXPECT_EQ(1, chosen) << "the entry that stays still hears its list";
    EXPECT_EQ(1, list.getCount());
    EXPECT_EQ("b", list.getCurrent()->getText());
    list.clearList();
    EXPECT_EQ(nullptr, list.getCurrent());
    new CountedEntry(&list, "c", deaths);
  }
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), deaths);
}

// A display that draws nothing and has no keys.
struct Blank : eScreen, eKeySource {
  void shown(const eWidgetView&) override {}
  void hidden(const eWidgetView&) override {}
  void refresh(const eScreenFrame&) override {}
  std::optional<eRCKey> nextKey() override { return std::nullopt; }
};

TEST(ActiveDisplay, BringsBackThePreviousScreenAndKeysWhenItsScopeEndsByAnException) {
  Blank outer;
  Blank inner;
  const eActiveDisplay outerActive(outer);
  try {
    const eActiveDisplay innerActive(inner);
    ASSERT_EQ(&inner, eKeySource::getActive());
    throw std::runtime_error("leaves the scope");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(&outer, eKeySource::getActive());
  EXPECT_EQ(&outer, eScreen::getActive());
}

}  // namespace
