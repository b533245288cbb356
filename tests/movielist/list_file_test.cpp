// The recordings list file: its exact bytes, its atomic replacement, and every way writing it
// can fail, each leaving the old list as it was and asking for no reload.
#include <signal.h>
#include <sys/resource.h>

#include <gmock/gmock.h>

#include "movielist/recover.h"
#include "receiver_fixture.h"

namespace {

constexpr std::string_view kOldList = "#NAME Aufgenommene Filme\nthe old list\n";

class ListFileTest : public ReceiverTest {
 protected:
  // Everything in the movie directory whose name starts with a dot: temporary files.
  std::vector<std::string> hiddenFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root.movieDirectory())) {
      std::string name = entry.path().filename();
      if (name.starts_with(".") && name != ".ts") names.push_back(name);
    }
    return names;
  }
};

TEST_F(ListFileTest, OneMovieIsExactlyFiveLines) {
  root.recording("Tatort.ts", 100,
                 fixtures::EventBuilder()
                     .shortEvent("deu", fixtures::dvbText("Tatort"), fixtures::dvbText("Borowski"))
                     .bytes());
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_EQ(
      "#NAME Aufgenommene Filme\n"
      "#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/Tatort.ts\n"
      "#DESCRIPTION: Tatort - Borowski\n"
      "#TYPE 16385\n"
      "/hdd/movie/Tatort.ts\n",
      root.readRecordingsList());
  EXPECT_EQ(1, reloads());
}

TEST_F(ListFileTest, TheHostReloadsWhatWasWritten) {
  root.recording("a.ts", 100);
  root.recording("b.ts", 200);
  ASSERT_EQ(1, recoverMovies(4));
  const auto& loaded = eZapMain::instance()->recordings();
  ASSERT_EQ(2u, loaded.size());
  EXPECT_EQ("/hdd/movie/b.ts", loaded[0].path);
  EXPECT_EQ("a", loaded[1].description);
  EXPECT_EQ("1:0:1:0:0:0:000000:0:0:0:/hdd/movie/a.ts", loaded[1].service);
}

TEST_F(ListFileTest, NoMoviesLeavesTheOldListAndAsksNoReload) {
  root.file("recordings.epl", kOldList);
  root.file("readme.txt", "no movies here");
  EXPECT_EQ(0, recoverMovies(1));
  EXPECT_EQ(kOldList, root.readRecordingsList());
  EXPECT_EQ(0, reloads());
}

TEST_F(ListFileTest, AListThatIsALinkHasItsTargetReplacedAndStaysALink) {
  std::filesystem::create_directory(root.movieDirectory() / "lists");
  root.file("lists/real.epl", kOldList);
  root.symlink("recordings.epl", "lists/real.epl", 100);
  root.recording("a.ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_TRUE(std::filesystem::is_symlink(root.recordingsList()));
  EXPECT_THAT(*root.readRecordingsList(), ::testing::HasSubstr("/hdd/movie/a.ts\n"));
  EXPECT_EQ(1, reloads());
}

TEST_F(ListFileTest, AListThatCannotBeCreatedLeavesEverythingAsItWas) {
  root.symlink("recordings.epl", "missing/real.epl", 100);
  root.recording("a.ts", 100);
  EXPECT_EQ(0, recoverMovies(1));
  EXPECT_EQ("missing/real.epl", std::filesystem::read_symlink(root.recordingsList()));
  EXPECT_EQ(0, reloads());
  EXPECT_THAT(hiddenFiles(), ::testing::IsEmpty());
}

TEST_F(ListFileTest, AListThatCannotBeReplacedLeavesNoTemporaryFile) {
  root.directory("recordings.epl");
  root.recording("a.ts", 100);
  EXPECT_EQ(0, recoverMovies(1));
  EXPECT_TRUE(std::filesystem::is_directory(root.recordingsList()));
  EXPECT_EQ(0, reloads());
  EXPECT_THAT(hiddenFiles(), ::testing::IsEmpty());
}

// Mends a fault: a list that could not be written whole was reported as written, after the
// old list had already been truncated.
TEST_F(ListFileTest, AWriteThatFailsKeepsTheOldListByteForByte) {
  root.file("recordings.epl", kOldList);
  for (int i = 0; i < 200; ++i) root.recording("movie" + std::to_string(i) + ".ts", i);
  struct rlimit original;
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &original));
  struct rlimit small = original;
  small.rlim_cur = 4096;  // the list needs some 20 kB
  auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
  int result = recoverMovies(1);
  setrlimit(RLIMIT_FSIZE, &original);
  signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(0, result);
  EXPECT_EQ(kOldList, root.readRecordingsList());
  EXPECT_EQ(0, reloads());
  EXPECT_THAT(hiddenFiles(), ::testing::IsEmpty());
}

TEST_F(ListFileTest, ANewListKeepsTheModeOfTheOld) {
  root.file("recordings.epl", kOldList);
  std::filesystem::permissions(root.recordingsList(), std::filesystem::perms(0640));
  root.recording("a.ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_EQ(std::filesystem::perms(0640),
            std::filesystem::status(root.recordingsList()).permissions());
}

}  // namespace
