// The six orders of the list, their ties, and the order the list keeps for any other code.
#include <gmock/gmock.h>

#include <cstdio>

#include "movielist/recover.h"
#include "tests/support/receiver_fixture.h"

namespace {

using Names = std::vector<std::string>;

fixtures::Bytes titled(std::string_view title) {
  return fixtures::EventBuilder().shortEvent("deu", fixtures::dvbText(title), {}).bytes();
}

class SortTest : public ReceiverTest {};

TEST_F(SortTest, OrdersTheListAndTheFileInEachSortType) {
  root.recording("b.ts", 200, titled("Alpha"));
  root.recording("a.ts", 200, titled("Charlie"));
  root.recording("c.ts", 100, titled("Bravo"));
  root.recording("d.ts", 300, titled("alpha"));
  root.recording("e.ts", 250,  // "é" in UTF-8 (selector 0x15): after every ASCII byte
                 fixtures::EventBuilder()
                     .shortEvent("fra", fixtures::dvbText({0x15}, "\xC3\xA9"), {})
                     .bytes());
  const Names expected[] = {{"a.ts", "b.ts", "c.ts", "d.ts", "e.ts"},
                            {"e.ts", "d.ts", "c.ts", "b.ts", "a.ts"},
                            // Equal dates come in ascending path order in both date orders.
                            {"c.ts", "a.ts", "b.ts", "e.ts", "d.ts"},
                            {"d.ts", "e.ts", "a.ts", "b.ts", "c.ts"},
                            // Bytes as unsigned values, upper case before lower: not a locale.
                            {"b.ts", "c.ts", "a.ts", "d.ts", "e.ts"},
                            {"e.ts", "d.ts", "a.ts", "c.ts", "b.ts"}};
  for (int sortType = 1; sortType <= 6; ++sortType) {
    ASSERT_EQ(1, rebuildRecordingsList(sortType));
    EXPECT_EQ(expected[sortType - 1], listedNames()) << "SortType " << sortType;
    Names reloaded;
    for (const auto& movie : eZapMain::instance()->recordings()) {
      reloaded.push_back(movie.path.substr(std::string_view("/hdd/movie/").size()));
    }
    EXPECT_EQ(expected[sortType - 1], reloaded) << "list file of SortType " << sortType;
  }
}

// Mends a fault: equal descriptions came out in an arbitrary order from one run to the next.
TEST_F(SortTest, AnyOtherSortTypeAndEqualDescriptionsKeepListingOrder) {
  for (int i = 0; i < 64; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%02d.ts", (i * 37) % 64);
    root.recording(name, i, titled("Same"));
  }
  for (int sortType : {0, 5, 6, 7}) {
    ASSERT_EQ(1, rebuildRecordingsList(sortType));
    EXPECT_EQ(listingOrder(), listedNames()) << "SortType " << sortType;
  }
}

}  // namespace
