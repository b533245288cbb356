// The six orders of the list, their ties, and the order the list keeps for any other code.
#include <gmock/gmock.h>

#include <cstdio>

#include "movielist/recover.h"
#include "movielist/sort.h"
#include "receiver_fixture.h"

namespace {

fixtures::Bytes titled(std::string_view title) {
  return fixtures::EventBuilder().shortEvent("deu", fixtures::dvbText(title), {}).bytes();
}

struct Order {
  int sortType;
  std::vector<std::string> expected;

  friend void PrintTo(const Order& order, std::ostream* out) {
    *out << "SortType " << order.sortType;
  }
};

class SortOrderTest : public ReceiverTest, public ::testing::WithParamInterface<Order> {
 protected:
  void SetUp() override {
    ReceiverTest::SetUp();
    root.recording("b.ts", 200, titled("Alpha"));
    root.recording("a.ts", 200, titled("Charlie"));
    root.recording("c.ts", 100, titled("Bravo"));
    root.recording("d.ts", 300, titled("alpha"));
  }
};

TEST_P(SortOrderTest, OrdersTheListAndTheFile) {
  ASSERT_EQ(1, recoverMovies(GetParam().sortType));
  EXPECT_EQ(GetParam().expected, listedNames());
  std::string file = *root.readRecordingsList();
  std::size_t position = 0;
  for (const std::string& name : GetParam().expected) {
    std::size_t found = file.find("\n/hdd/movie/" + name + "\n", position);
    ASSERT_NE(std::string::npos, found) << name << " out of order in\n" << file;
    position = found + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllSortTypes, SortOrderTest,
    ::testing::Values(
        Order{1, {"a.ts", "b.ts", "c.ts", "d.ts"}}, Order{2, {"d.ts", "c.ts", "b.ts", "a.ts"}},
        // Equal dates come in ascending path order in both date orders.
        Order{3, {"c.ts", "a.ts", "b.ts", "d.ts"}}, Order{4, {"d.ts", "a.ts", "b.ts", "c.ts"}},
        // Upper case before lower case: bytes, not a locale.
        Order{5, {"b.ts", "c.ts", "a.ts", "d.ts"}}, Order{6, {"d.ts", "a.ts", "c.ts", "b.ts"}}),
    [](const auto& order) { return "SortType" + std::to_string(order.param.sortType); });

class SortTest : public ReceiverTest {};

TEST_F(SortTest, AnyOtherSortTypeKeepsListingOrder) {
  for (int i = 0; i < 30; ++i) root.recording("movie" + std::to_string(i * 7 % 30) + ".ts", i);
  for (int sortType : {0, 7, -1}) {
    ASSERT_EQ(1, recoverMovies(sortType));
    EXPECT_EQ(listingOrder(), listedNames()) << "SortType " << sortType;
  }
}

TEST_F(SortTest, ComparesBytesAsUnsignedValues) {
  root.recording("1.ts", 100, titled("zebra"));
  root.recording("2.ts", 100,
                 fixtures::EventBuilder()
                     .shortEvent("fra",
                                 fixtures::dvbText({0x15},
                                                   "\xC3\xA9"
                                                   "b"),
                                 {})
                     .bytes());
  root.recording("3.ts", 100, titled("zeb"));
  ASSERT_EQ(1, recoverMovies(5));
  EXPECT_EQ((std::vector<std::string>{"3.ts", "1.ts", "2.ts"}), listedNames());
}

// Mends a fault: dates were 32 bits wide, so recordings after January 2038 sorted first.
TEST_F(SortTest, DatesAfter2038SortAfterEarlierOnes) {
  constexpr std::int64_t k2038 = 2147483648;
  root.recording("later.ts", k2038 + 86400);
  root.recording("earlier.ts", k2038 - 86400);
  ASSERT_EQ(1, recoverMovies(3));
  EXPECT_EQ((std::vector<std::string>{"earlier.ts", "later.ts"}), listedNames());
  EXPECT_EQ(k2038 + 86400, DirMovieFile[1].FileDate);
}

// Mends a fault: equal descriptions came out in an arbitrary order from one run to the next.
TEST_F(SortTest, EqualDescriptionsKeepListingOrder) {
  for (int i = 0; i < 64; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%02d.ts", (i * 37) % 64);
    root.recording(name, i, titled(i % 2 ? "Same" : "Other"));
  }
  std::vector<std::string> others, sames;
  ASSERT_EQ(1, recoverMovies(5));
  for (const DIRFILES& movie : DirMovieFile) {
    (movie.Description == "Same" ? sames : others).push_back(movie.FileName);
  }
  std::vector<std::string> expectedOthers, expectedSames;
  for (const std::string& name : listingOrder()) {
    auto it = std::find_if(DirMovieFile.begin(), DirMovieFile.end(),
                           [&](const DIRFILES& movie) { return movie.FileName == name; });
    (it->Description == "Same" ? expectedSames : expectedOthers).push_back(name);
  }
  EXPECT_EQ(expectedOthers, others);
  EXPECT_EQ(expectedSames, sames);
}

TEST(SortComparators, AreStrictOrders) {
  DIRFILES a{"/hdd/movie/a.ts", "a.ts", "X", 5};
  DIRFILES b = a;
  EXPECT_FALSE(sortFileByNameAsc(a, b));
  EXPECT_FALSE(sortFileByNameDesc(a, b));
  EXPECT_FALSE(sortFileByDateAsc(a, b));
  EXPECT_FALSE(sortFileByDateDesc(a, b));
  EXPECT_FALSE(sortFileByDescriptionAsc(a, b));
  EXPECT_FALSE(sortFileByDescriptionDesc(a, b));
}

}  // namespace
