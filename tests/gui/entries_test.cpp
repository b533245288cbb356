// The list entries' own behaviour: a multi entry's values and key, a check entry's mark and
// configuration key, a menu entry's own selection signal, and a separator's drawing.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/econfig.h"
#include "host/gui/elistboxentrycheck.h"
#include "host/gui/elistboxentrymenu.h"
#include "host/gui/elistboxentrymenuseparator.h"
#include "host/gui/elistboxentrymulti.h"
#include "host/gui/esetupwindow.h"
#include "host/gui/eskin.h"
#include "tests/gui/toolkit_support.h"

namespace {

int keyOf(const eListBoxEntryMenu* entry) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(entry->getKey()));
}

class MultiEntryTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    multi = new eListBoxEntryMulti(&window.list, "pick one");
    multi->add("first", 10);
    multi->add("second", 20);
    multi->add("third", 30);
    window.list.selchanged.connect([this](eListBoxEntryMenu* entry) {
      reported.push_back(entry == multi ? keyOf(entry) : -1);
    });
  }

  void play(std::vector<eRCKey> played) {
    played.push_back(eRCKey::exit);
    keys.play(played);
    window.exec();
  }

  eSetupWindow window{"Multi", 1, 400};
  eListBoxEntryMulti* multi = nullptr;
  std::vector<int> reported;
};

TEST_F(MultiEntryTest, ShowsTheFirstValueAddedAndHoldsItsKey) {
  EXPECT_EQ("first", multi->view().text);
  EXPECT_EQ(10, keyOf(multi));
}

TEST_F(MultiEntryTest, TheConstructorsTextIsTheHelpText) {
  EXPECT_EQ("pick one", multi->getHelpText());
  EXPECT_EQ(eRowView::Kind::multi, multi->view().kind);
}

TEST_F(MultiEntryTest, SetCurrentShowsTheValueWithThatKey) {
  multi->setCurrent(30);
  EXPECT_EQ("third", multi->view().text);
  EXPECT_EQ(30, keyOf(multi));
}

TEST_F(MultiEntryTest, SetCurrentWithAnUnknownKeyShowsTheFirstValue) {
  multi->setCurrent(20);
  multi->setCurrent(99);
  EXPECT_EQ("first", multi->view().text);
  EXPECT_EQ(10, keyOf(multi));
}

TEST_F(MultiEntryTest, RightAndLeftStepThroughTheValuesAndReportEachChange) {
  play({eRCKey::right, eRCKey::right, eRCKey::left});
  EXPECT_EQ("second", multi->view().text);
  EXPECT_EQ(20, keyOf(multi));
  EXPECT_EQ((std::vector<int>{20, 30, 20}), reported);
}

TEST_F(MultiEntryTest, StepsStopAtBothEndsWithoutReporting) {
  play({eRCKey::left, eRCKey::right, eRCKey::right, eRCKey::right, eRCKey::right});
  EXPECT_EQ("third", multi->view().text);
  EXPECT_EQ((std::vector<int>{20, 30}), reported);
}

class CheckEntryTest : public ToolkitTest {
 protected:
  int stored() const {
    int value = -1;
    eConfig::instance()->getKey("/test/switch", value);
    return value;
  }
  std::string configFile() const {
    std::ifstream file(directory() / "config");
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  eSetupWindow window{"Check", 1, 400};
};

TEST_F(CheckEntryTest, AnAbsentKeyShowsTheMarkSet) {
  auto* check = new eListBoxEntryCheck(&window.list, "switch", "/test/switch", "help");
  EXPECT_TRUE(check->view().checked);
  EXPECT_EQ(-1, stored());
}

TEST_F(CheckEntryTest, AStoredZeroShowsTheMarkCleared) {
  eConfig::instance()->setKey("/test/switch", 0);
  auto* check = new eListBoxEntryCheck(&window.list, "switch", "/test/switch", "help");
  EXPECT_FALSE(check->view().checked);
}

TEST_F(CheckEntryTest, OkTogglesTheMarkAndStoresItAtOnce) {
  auto* check = new eListBoxEntryCheck(&window.list, "switch", "/test/switch", "help");
  window.list.chooseCurrent();
  EXPECT_FALSE(check->isChecked());
  EXPECT_EQ(0, stored());
  EXPECT_NE(std::string::npos, configFile().find("/test/switch=0"));
  window.list.chooseCurrent();
  EXPECT_TRUE(check->isChecked());
  EXPECT_EQ(1, stored());
}

TEST_F(CheckEntryTest, OkOnACheckEntryIsNotReportedAsSelected) {
  new eListBoxEntryCheck(&window.list, "switch", "/test/switch", "help");
  int selected = 0;
  window.list.selected.connect([&selected](eListBoxEntryMenu*) { ++selected; });
  window.list.chooseCurrent();
  EXPECT_EQ(0, selected);
}

TEST(MenuEntry, EmitsItsOwnSignalOnlyWhenItIsTheEntryChosen) {
  eListBox<eListBoxEntryMenu> list;
  auto* first = new eListBoxEntryMenu(&list, "first");
  auto* second = new eListBoxEntryMenu(&list, "second");
  std::vector<std::string> chosen;
  first->selected.connect([&chosen] { chosen.push_back("first"); });
  second->selected.connect([&chosen] { chosen.push_back("second"); });
  list.moveDown();
  list.chooseCurrent();
  list.moveUp();
  list.chooseCurrent();
  EXPECT_EQ((std::vector<std::string>{"second", "first"}), chosen);
}

TEST(MenuEntry, KeepsTheCallersKeyAndPlacement) {
  eListBox<eListBoxEntryMenu> list;
  int token = 0;
  auto* entry =
      new eListBoxEntryMenu(&list, "text", "help", eListBoxEntryMenu::alignCentre, &token, 3);
  EXPECT_EQ(&token, entry->getKey());
  EXPECT_EQ(2, entry->view().align);
  EXPECT_EQ(3, entry->view().indent);
  EXPECT_EQ("help", entry->getHelpText());
}

TEST(Separator, DrawsTheImageItWasGivenOrNone) {
  eListBox<eListBoxEntryMenu> list;
  gPixmap* image = eSkin::getActive()->queryImage("listbox.separator");
  ASSERT_NE(nullptr, image);
  auto* withImage = new eListBoxEntryMenuSeparator(&list, image, 2, true);
  auto* without = new eListBoxEntryMenuSeparator(&list, nullptr, 0, true);
  EXPECT_EQ("listbox.separator", withImage->view().image);
  EXPECT_EQ(2, withImage->view().margin);
  EXPECT_EQ("", without->view().image);
  EXPECT_FALSE(without->isSelectable());
}

TEST(Skin, FindsItsImagesByNameAndNoOthers) {
  eSkin custom{"custom.image"};
  EXPECT_NE(nullptr, eSkin::getActive()->queryImage("listbox.separator"));
  EXPECT_EQ(nullptr, eSkin::getActive()->queryImage("no.such.image"));
  eSkin::setActive(&custom);
  EXPECT_EQ(nullptr, eSkin::getActive()->queryImage("listbox.separator"));
  EXPECT_EQ("custom.image", eSkin::getActive()->queryImage("custom.image")->name());
  eSkin::setActive(nullptr);
  EXPECT_NE(nullptr, eSkin::getActive()->queryImage("listbox.separator"));
}

TEST(Keys, NamesAndKeysMatchBothWays) {
  for (eRCKey key :
       {eRCKey::up, eRCKey::down, eRCKey::left, eRCKey::right, eRCKey::ok, eRCKey::exit}) {
    EXPECT_EQ(key, keyFromName(keyName(key)));
  }
  EXPECT_EQ(std::nullopt, keyFromName("enter"));
}

}  // namespace
