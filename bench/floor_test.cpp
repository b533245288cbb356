// The floor is a floor only while it writes exactly what the rebuild writes: both run on the
// same roots, in every sort order, and must leave byte-identical lists. Also what the
// benchmark's roots hold, and how its command line is read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_options.h"
#include "bench/bench_report.h"
#include "bench/bench_roots.h"
#include "bench/floor_rebuild.h"
#include "fixtures/receiver_builder.h"
#include "movielist/recover.h"
#include "tests/support/receiver_fixture.h"

namespace {

using fixtures::Bytes;
using fixtures::dvbText;
using fixtures::EventBuilder;

constexpr int kSortTypes[] = {0, 1, 2, 3, 4, 5, 6, 7};

class FloorTest : public ReceiverTest {
 protected:
  std::optional<std::string> rebuildList(int sortType) {
    std::filesystem::remove(root.recordingsList());
    rebuildRecordingsList(sortType);
    return root.readRecordingsList();
  }

  std::optional<std::string> floorList(int sortType) {
    std::filesystem::remove(root.recordingsList());
    bench::floorRebuild(root.root(), sortType);
    return root.readRecordingsList();
  }

  void expectSameListsInEveryOrder() {
    for (int sortType : kSortTypes) {
      const std::optional<std::string> rebuilt = rebuildList(sortType);
      ASSERT_TRUE(rebuilt.has_value()) << "sort type " << sortType;
      EXPECT_EQ(*rebuilt, floorList(sortType)) << "sort type " << sortType;
    }
  }

  void event(std::string_view name, std::int64_t mtime, const Bytes& bytes) {
    root.recording(name, mtime, bytes);
  }
};

TEST_F(FloorTest, WritesTheDemoDiskAsTheRebuildDoes) {
  fixtures::buildDemoDisk(root.root());
  expectSameListsInEveryOrder();
}

TEST_F(FloorTest, WritesABenchmarkRootAsTheRebuildDoes) {
  bench::buildBenchRoot(root.root(), 250);
  expectSameListsInEveryOrder();
}

TEST_F(FloorTest, NamesAwkwardEventsAsTheRebuildDoes) {
  const auto shortEvent = [](const Bytes& name, const Bytes& text) {
    return EventBuilder().shortEvent("deu", name, text).bytes();
  };
  event("same.ts", 10, shortEvent(dvbText("Tatort"), dvbText("Tatort")));
  event("notext.ts", 10, shortEvent(dvbText("Tatort"), dvbText("")));
  event("noname.ts", 20, shortEvent(dvbText(""), dvbText("Nur Text")));
  event("empty.ts", 20, shortEvent(dvbText(""), dvbText("")));
  event("controls.ts", 30,
        shortEvent(dvbText("Tab\there \x86"
                           "Bold\x87"),
                   dvbText("a\x7F"
                           "b")));
  event("latin.ts", 30,
        shortEvent(dvbText("Sp\xE4t"), dvbText("Gr\xFC\xDF"
                                               "e")));
  event("utf8.ts", 40,
        shortEvent(dvbText({0x15}, "Caf\xC3\xA9"), dvbText({0x15},
                                                           "Kom\xC3\xB6"
                                                           "die")));
  event("ucs2.ts", 40,
        shortEvent(dvbText({0x11}, std::string_view("\x00"
                                                    "A\x04\x14",
                                                    4)),
                   dvbText("")));
  event("twice.ts", 50,
        EventBuilder()
            .shortEvent("eng", dvbText("First"), dvbText(""))
            .shortEvent("deu", dvbText("Second"), dvbText(""))
            .bytes());
  event("extended-only.ts", 50, EventBuilder().extendedEvent("deu", dvbText("Lang")).bytes());
  event("blank.ts", 60, shortEvent(dvbText({0x15}, " \x01\u2028"), dvbText("")));
  event("separators.ts", 60,
        shortEvent(dvbText({0x15}, "Line\u2028Break"), dvbText({0x15}, "Para\u2029graph")));
  event("cut.ts", 60, EventBuilder().descriptor(0x4D, 40, dvbText("deu\x05Title")).bytes());
  event("short-descriptor.ts", 60, EventBuilder().descriptor(0x4D, dvbText("de")).bytes());
  event("beyond.ts", 70,
        EventBuilder().padTo(4100).shortEvent("deu", dvbText("Unseen"), dvbText("")).bytes());
  Bytes twelve = EventBuilder().bytes();
  event("twelve.ts", 70, twelve);
  twelve.push_back(0);
  event("thirteen.ts", 70, twelve);
  event("a.tsb.ts", 80, shortEvent(dvbText("Right"), dvbText("")));
  root.file("a.eit", shortEvent(dvbText("Wrong"), dvbText("")));
  root.recording(".ts", 90);
  root.recording("tab\tname.ts", 90);
  root.recording("SHOUT.TS", 90);
  root.symlink("link.ts", "same.ts", 100);
  root.symlink("dangling.ts", "gone.ts", 100);
  root.directory("folder.ts");
  root.symlink("folderlink.ts", "folder.ts", 100);
  expectSameListsInEveryOrder();
}

TEST_F(FloorTest, LeavesAListAloneWhenThereIsNoMovie) {
  root.file("recordings.epl", "old list\n");
  root.recording("SHOUT.TS", 10);
  EXPECT_EQ(0, bench::floorRebuild(root.root(), 1));
  EXPECT_EQ("old list\n", root.readRecordingsList());
}

TEST_F(FloorTest, ReportsAMissingDirectory) {
  std::filesystem::remove_all(root.movieDirectory());
  EXPECT_EQ(-1, bench::floorRebuild(root.root(), 1));
}

TEST(BenchRoot, HoldsTheRecordingsAsked) {
  auto root = fixtures::ReceiverRoot::temporary();
  bench::buildBenchRoot(root.root(), 500);
  int recordings = 0, links = 0, eventFiles = 0, directories = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root.movieDirectory())) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink()) ++links;
    if (name.ends_with(".eit")) ++eventFiles;
    if (entry.is_directory() && !entry.is_symlink()) ++directories;
    if (name.ends_with(".ts") && !(entry.is_directory() && !entry.is_symlink())) ++recordings;
  }
  EXPECT_EQ(500, recordings);
  EXPECT_EQ(10, links) << "one in fifty";
  EXPECT_EQ(450, eventFiles) << "nine in ten";
  EXPECT_EQ(2, directories);
}

TEST(BenchRoot, IsKeptOnceBuiltAndBuiltAgainWhenIncomplete) {
  auto cache = fixtures::ReceiverRoot::temporary();
  const std::filesystem::path root = bench::cachedBenchRoot(cache.root(), 20);
  const auto list = root / "hdd" / "movie" / "recordings.epl";
  std::filesystem::create_directories(list.parent_path());
  { std::ofstream(list) << "kept"; }
  EXPECT_EQ(root, bench::cachedBenchRoot(cache.root(), 20));
  EXPECT_TRUE(std::filesystem::exists(list)) << "a finished root is taken as it is";

  std::filesystem::remove(root / ".bench-root");
  bench::cachedBenchRoot(cache.root(), 20);
  EXPECT_FALSE(std::filesystem::exists(list)) << "a root without its stamp is built anew";
}

TEST(BenchOptions, ReadsSizesRunsAndSortType) {
  std::string error;
  const auto options = bench::parseOptions(
      {"--sizes", "10,200", "--runs", "3", "--cold", "--sort", "5", "--no-host"}, error);
  ASSERT_TRUE(options.has_value()) << error;
  EXPECT_EQ((std::vector<std::size_t>{10, 200}), options->sizes);
  EXPECT_EQ(3, options->runs);
  EXPECT_EQ(5, options->sortType);
  EXPECT_FALSE(options->withHost);
  EXPECT_TRUE(options->cold);
  EXPECT_FALSE(bench::parseOptions({}, error)->cold);
}

TEST(BenchOptions, RejectsBadValues) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--sizes", "10,,20"},
                                             {"--sizes", "0"},
                                             {"--runs", "x"},
                                             {"--runs"},
                                             {"--sort", "0"},
                                             {"--sort", "7"},
                                             {"--frobnicate"},
                                             {"--cach", "roots"}}) {
    std::string error;
    EXPECT_FALSE(bench::parseOptions(arguments, error).has_value()) << arguments[0];
    EXPECT_FALSE(error.empty());
  }
}

TEST(BenchOptions, GivesSmallRootsMoreRuns) {
  bench::Options options;
  options.runs = 3;
  EXPECT_EQ(3, bench::runsFor(options, 100000));
  EXPECT_EQ(3, bench::runsFor(options, 250000));
  EXPECT_EQ(6, bench::runsFor(options, 50000));
  EXPECT_EQ(15, bench::runsFor(options, 10000));
  EXPECT_EQ(15, bench::runsFor(options, 1000));
  EXPECT_EQ(1, bench::coldRunsFor(options, 100000));
  EXPECT_EQ(5, bench::coldRunsFor(options, 1000));
}

TEST(BenchMedian, TakesTheMiddleOrTheMeanOfTheTwoMiddles) {
  EXPECT_EQ(2.0, bench::median({3.0, 1.0, 2.0}));
  EXPECT_EQ(2.5, bench::median({4.0, 1.0, 3.0, 2.0}));
}

}  // namespace
