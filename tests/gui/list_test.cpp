// The list's cursor and a multi entry's values under the remote control's keys: separators
// are skipped, both stop at their ends without reporting, and an unknown key falls back.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/gui/elistbox.h"
#include "host/gui/elistboxentrymenuseparator.h"
#include "host/gui/elistboxentrymulti.h"

namespace {

TEST(ListCursor, SkipsSeparatorsAndStopsAtBothEndsReportingOnlyMoves) {
  eListBox<eListBoxEntryMenu> list;
  new eListBoxEntryMenuSeparator(&list, nullptr, 0, true);
  new eListBoxEntryMenu(&list, "A");
  new eListBoxEntryMenuSeparator(&list, nullptr, 0, true);
  new eListBoxEntryMenuSeparator(&list, nullptr, 0, false);
  new eListBoxEntryMenu(&list, "B");
  new eListBoxEntryMenu(&list, "C");
  new eListBoxEntryMenuSeparator(&list, nullptr, 0, true);
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

}  // namespace
