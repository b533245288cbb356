// Event files that no recorder wrote: a descriptor that runs across the end of what is read,
// titles that are no Unicode, and event files that are no regular files at all. A name stays
// well-formed UTF-8, a record that cannot name falls back to the file name, and nothing stops
// or stalls the rebuild.
#include <signal.h>
#include <sys/stat.h>

#include <gmock/gmock.h>

#include <filesystem>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/movielist/receiver_fixture.h"
#include "tests/reliability/child_process.h"

namespace {

using fixtures::dvbText;
using fixtures::EventBuilder;

class HostileEventFiles : public ReceiverTest {
 protected:
  // The names the rebuild and the lookup give "news.ts", which must agree.
  std::string rebuiltName() {
    if (recoverMovies(1) != 1 || DirMovieFile.size() != 1) return "(no rebuild)";
    EXPECT_EQ(DirMovieFile[0].Description, getFileName("/hdd/movie/news.ts", "news.ts"));
    return DirMovieFile[0].Description;
  }
};

TEST_F(HostileEventFiles, ADescriptorAcrossTheEndOfTheReadIsNotSeen) {
  const fixtures::Bytes event =
      EventBuilder().padTo(kEventFileReadSize - 6).shortEvent("deu", dvbText("Across"), {}).bytes();
  ASSERT_LT(kEventFileReadSize, event.size());
  root.recording("news.ts", 100, event);
  EXPECT_EQ("news", rebuiltName());
}

// Mends a fault found by event_record_fuzzer: in a title of the UTF-8 table, forms beyond
// U+10FFFF went through the converter into the name.
TEST_F(HostileEventFiles, CharactersBeyondUnicodeAreLeftOutOfAName) {
  const std::string title =
      "a\xF4\x90\x80\x80"
      "b\xF9\xAA\xAA\xAA\xAA"
      "c\xFC\x84\x80\x80\x80\x80"
      "d\xF0\x9F\x8E\xAC";
  root.recording("news.ts", 100,
                 EventBuilder().shortEvent("deu", dvbText({0x15}, title), {}).bytes());
  EXPECT_EQ("abcd\xF0\x9F\x8E\xAC", rebuiltName());
}

TEST_F(HostileEventFiles, EventFilesThatAreNoRegularFilesGiveTheFileName) {
  root.recording("news.ts", 100);
  std::filesystem::create_directory(root.movieDirectory() / "news.eit");
  EXPECT_EQ("news", rebuiltName()) << "a directory";
  std::filesystem::remove(root.movieDirectory() / "news.eit");

  root.symlink("news.eit", "/dev/zero", 100);
  EXPECT_EQ("news", rebuiltName()) << "endless zeros";
  std::filesystem::remove(root.movieDirectory() / "news.eit");

  root.symlink("news.eit", "news.eit", 100);
  EXPECT_EQ("news", rebuiltName()) << "a link to itself";
}

// Mends a fault: opening a FIFO named as an event file waited for a writer that never came,
// and the rebuild hung with it.
TEST_F(HostileEventFiles, AFifoAsEventFileDoesNotStallTheRebuild) {
  root.recording("news.ts", 100);
  ASSERT_EQ(0, ::mkfifo((root.movieDirectory() / "news.eit").c_str(), 0644));
  const int result = reliability::resultInChild(
      [] {
        const bool rebuilt = recoverMovies(1) == 1 && DirMovieFile.at(0).Description == "news";
        return rebuilt && getFileName("/hdd/movie/news.ts", "news.ts") == "news" ? 0 : 1;
      },
      20);
  EXPECT_NE(128 + SIGALRM, result) << "the rebuild still waited after 20 s";
  EXPECT_EQ(0, result);
}

TEST_F(HostileEventFiles, AListFileThatIsAFifoIsReplacedNotWrittenInto) {
  root.recording("news.ts", 100);
  ASSERT_EQ(0, ::mkfifo(root.recordingsList().c_str(), 0644));
  const int result = reliability::resultInChild([] { return recoverMovies(1); }, 20);
  EXPECT_EQ(1, result);
  EXPECT_TRUE(std::filesystem::is_regular_file(root.recordingsList()));
  EXPECT_THAT(*root.readRecordingsList(), ::testing::HasSubstr("#DESCRIPTION: news\n"));
}

}  // namespace
