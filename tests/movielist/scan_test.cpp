// What the rebuild takes from the movie directory, and what it dates each movie by.
#include <sys/stat.h>

#include <gmock/gmock.h>

#include "movielist/recover.h"
#include "receiver_fixture.h"

using ::testing::UnorderedElementsAre;

namespace {

class ScanTest : public ReceiverTest {};

TEST_F(ScanTest, TakesOnlyEntriesEndingInLowerCaseTs) {
  root.recording("news.ts", 100);
  root.recording("SHOUT.TS", 100);
  root.recording("Mixed.Ts", 100);
  root.file("notes.txt", "text");
  root.file("news.ts.bak", "old");
  root.file("tsfile", "no dot");
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_THAT(listedNames(), UnorderedElementsAre("news.ts"));
}

TEST_F(ScanTest, SkipsDirectoriesAndDoesNotSearchThem) {
  root.recording("film.ts", 100);
  root.directory("folder.ts");
  root.directory("series");
  root.recording("series/episode.ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_THAT(listedNames(), UnorderedElementsAre("film.ts"));
}

TEST_F(ScanTest, TakesAnEntryNamedOnlyTs) {
  root.recording(".ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  ASSERT_EQ(1u, DirMovieFile.size());
  EXPECT_EQ("/hdd/movie/.ts", DirMovieFile[0].FullPath);
  EXPECT_EQ("", DirMovieFile[0].Description);
}

TEST_F(ScanTest, ListsALinkDatedByTheLinkItselfAndSkipsDanglingOnes) {
  root.recording("target.ts", 1000);
  root.symlink("link.ts", "target.ts", 5000);
  root.symlink("dangling.ts", "gone.ts", 6000);
  root.directory("realdir");
  root.symlink("dirlink.ts", "realdir", 7000);
  ASSERT_EQ(1, recoverMovies(3));
  EXPECT_EQ((std::vector<std::string>{"target.ts", "link.ts"}), listedNames());
  EXPECT_EQ(1000, DirMovieFile[0].FileDate);
  EXPECT_EQ(5000, DirMovieFile[1].FileDate);
}

TEST_F(ScanTest, FillsEveryFieldOfTheRecord) {
  root.recording("Krimi.ts", 1767225600);
  ASSERT_EQ(1, recoverMovies(1));
  ASSERT_EQ(1u, DirMovieFile.size());
  EXPECT_EQ("/hdd/movie/Krimi.ts", DirMovieFile[0].FullPath);
  EXPECT_EQ("Krimi.ts", DirMovieFile[0].FileName);
  EXPECT_EQ("Krimi", DirMovieFile[0].Description);
  EXPECT_EQ(1767225600, DirMovieFile[0].FileDate);
}

// Mends a fault: a name holding a line break cannot be one line of the list file.
TEST_F(ScanTest, SkipsNamesWithLineBreaks) {
  root.recording("good.ts", 100);
  root.recording("two\nlines.ts", 100);
  root.recording("carriage\rreturn.ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_THAT(listedNames(), UnorderedElementsAre("good.ts"));
}

TEST_F(ScanTest, EachRebuildStartsFromAnEmptyList) {
  root.recording("first.ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  std::filesystem::remove(root.movieDirectory() / "first.ts");
  root.recording("second.ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_THAT(listedNames(), UnorderedElementsAre("second.ts"));
}

TEST_F(ScanTest, AMissingDirectoryEmptiesTheListAndGivesNothing) {
  root.recording("x.ts", 100);
  ASSERT_EQ(1, recoverMovies(1));
  int reloadsAfterFirst = reloads();
  std::filesystem::remove_all(root.movieDirectory());
  EXPECT_EQ(0, recoverMovies(1));
  EXPECT_TRUE(DirMovieFile.empty());
  EXPECT_EQ(reloadsAfterFirst, reloads());
}

}  // namespace
