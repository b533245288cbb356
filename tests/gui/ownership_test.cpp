// Who owns a list's entries: the list deletes those it still holds, an entry leaves its list
// when it is deleted, and a deleted entry's slots fall silent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/gui/elistbox.h"
#include "host/gui/elistboxentrymenu.h"
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

TEST(ListOwnership, TheListDeletesWhatItHoldsAndADeletedEntryLeavesIt) {
  std::vector<std::string> deaths;
  CountedEntry* taken = nullptr;
  {
    eListBox<eListBoxEntryMenu> list;
    auto* first = new CountedEntry(&list, "a", deaths);
    auto* second = new CountedEntry(&list, "b", deaths);
    taken = new CountedEntry(&list, "taken", deaths);
    list.take(taken, false);
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
  delete taken;
}

}  // namespace
