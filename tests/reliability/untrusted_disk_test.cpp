// A receiver disk filled by whoever had it last. Its links resolve inside the root, so that no
// file outside is read as a list or replaced by one; the list replaces only a regular file;
// the host's readers take only regular files, never wait on a FIFO and read a bounded amount;
// event files that are no regular files are never opened.
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/reliability/root_resolution.h"
#include "tests/reliability/special_files.h"
#include "tests/support/child_process.h"
#include "tests/support/receiver_fixture.h"

namespace reliability {
namespace {

using testsupport::resultInChild;

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string readFile(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), {});
}

// Enough ".." to climb from the movie directory past any temporary directory to "/".
const std::string kClimb = "../../../../../../../../../../../..";

TEST(RootResolution, EveryPathAndLinkResolvesInsideTheRoot) {
  DiskWithLinks disk;
  EXPECT_THAT(DiskWithLinks::failures(), IsEmpty());
}

class UntrustedList : public ReceiverTest {
 protected:
  void SetUp() override {
    ReceiverTest::SetUp();
    root.recording("a.ts", 100);
    std::ofstream(outsideFile) << kOutsideText;
  }

  // Names in the movie directory that start with a dot: temporary files.
  std::vector<std::string> temporaryFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root.movieDirectory()))
      if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path());
    return names;
  }

  static constexpr const char* kOutsideText = "#NAME not yours\n";
  fixtures::ReceiverRoot outside = fixtures::ReceiverRoot::temporary();
  const fs::path outsideFile = outside.root() / "outside.epl";
};

// Mends a fault: the list writer followed the link on this machine and replaced the file
// outside the root that it named.
TEST_F(UntrustedList, NothingOutsideTheRootIsReplacedThroughALink) {
  root.symlink("hop", outsideFile.string(), 100);
  const struct {
    const char* name;
    std::string target;
  } cases[] = {{"absolute", outsideFile.string()},
               {"climbing with ..", kClimb + outsideFile.string()},
               {"a link to a link", "hop"}};
  for (const auto& each : cases) {
    SCOPED_TRACE(each.name);
    root.symlink("recordings.epl", each.target, 100);
    EXPECT_EQ(0, recoverMovies(1));
    EXPECT_EQ(kOutsideText, readFile(outsideFile));
    EXPECT_EQ(each.target, fs::read_symlink(root.recordingsList()).string());
    EXPECT_THAT(temporaryFiles(), IsEmpty());
    fs::remove(root.recordingsList());
  }
  EXPECT_EQ(0, reloads());
}

TEST_F(UntrustedList, AnAbsoluteLinkMeansThePathUnderTheRootAndStays) {
  fs::create_directory(root.root() / "hdd" / "lists");
  std::ofstream(root.root() / "hdd" / "lists" / "real.epl") << "old";
  fs::permissions(root.root() / "hdd" / "lists" / "real.epl", fs::perms(0640));
  const struct {
    const char* target;
    const char* file;
  } cases[] = {{"/hdd/lists/real.epl", "hdd/lists/real.epl"},
               {"../../../../../../../hdd/lists/new.epl", "hdd/lists/new.epl"},
               {"/hdd/lists/../lists/chained.epl", "hdd/lists/chained.epl"}};
  for (const auto& each : cases) {
    SCOPED_TRACE(each.target);
    root.symlink("recordings.epl", each.target, 100);
    ASSERT_EQ(1, recoverMovies(1));
    EXPECT_THAT(readFile(root.root() / each.file), HasSubstr("\n/hdd/movie/a.ts\n"));
    EXPECT_EQ(each.target, fs::read_symlink(root.recordingsList()).string());
    fs::remove(root.recordingsList());
  }
  EXPECT_EQ(fs::perms(0640), fs::status(root.root() / "hdd/lists/real.epl").permissions());
}

// Mends a fault: a FIFO, socket or directory as the list, or at the end of its link, was
// replaced by a regular file (or the rebuild said it succeeded).
TEST_F(UntrustedList, AnythingButARegularFileIsLeftAsItIsAndTheRebuildFails) {
  makeFifo(root.root() / "hdd" / "fifo");
  makeSocket(root.root() / "hdd" / "socket");
  const struct {
    const char* name;
    const char* linkTarget;  // nullptr: the list itself is a FIFO
    fs::path end;
  } cases[] = {{"a link to a FIFO", "/hdd/fifo", root.root() / "hdd" / "fifo"},
               {"a link to a socket", "../socket", root.root() / "hdd" / "socket"},
               {"a link to a directory", "/hdd", root.root() / "hdd"},
               {"a link in a loop", "recordings.epl", root.recordingsList()},
               {"a FIFO", nullptr, root.recordingsList()}};
  for (const auto& each : cases) {
    SCOPED_TRACE(each.name);
    if (each.linkTarget != nullptr)
      root.symlink("recordings.epl", each.linkTarget, 100);
    else
      makeFifo(root.recordingsList());
    const auto before = kindOf(each.end);
    EXPECT_EQ(0, resultInChild([] { return recoverMovies(1); }, 20));
    EXPECT_EQ(before, kindOf(each.end));
    EXPECT_THAT(temporaryFiles(), IsEmpty());
    fs::remove(root.recordingsList());
  }
}

// Mends a fault: a list linked to /dev/zero turned the machine's zero device into a file.
// Here the devices are the test's own, outside the root and inside it.
TEST_F(UntrustedList, ADeviceIsNeverReplaced) {
  const fs::path outsideDevice = outside.root() / "zero";
  const fs::path insideDevice = root.root() / "zero";
  if (std::string reason = makeZeroDevice(outsideDevice); !reason.empty()) GTEST_SKIP() << reason;
  ASSERT_EQ("", makeZeroDevice(insideDevice));
  for (const auto& [target, device] :
       {std::pair{outsideDevice.string(), outsideDevice}, std::pair{kClimb + "/zero", insideDevice},
        std::pair{std::string("/zero"), insideDevice}}) {
    SCOPED_TRACE(target);
    root.symlink("recordings.epl", target, 100);
    EXPECT_EQ(0, recoverMovies(1));
    EXPECT_EQ(std::pair(mode_t{S_IFCHR}, makedev(1, 5)), kindOf(device));
    fs::remove(root.recordingsList());
  }
}

// A recording linked by an absolute path is the one under the root: its date is that file's.
TEST_F(UntrustedList, AnAbsoluteLinkToARecordingIsDatedUnderTheRoot) {
  fs::create_directories(root.root() / "hdd" / "other");
  std::ofstream(root.root() / "hdd" / "other" / "x.ts") << "ts";
  const timespec times[2] = {{1234, 0}, {1234, 0}};
  ASSERT_EQ(0, ::utimensat(AT_FDCWD, (root.root() / "hdd/other/x.ts").c_str(), times, 0));
  root.symlink("x.ts", "/hdd/other/x.ts", 500);
  root.symlink("gone.ts", outsideFile.string(), 500);
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_EQ(std::vector<std::string>({"a.ts", "x.ts"}), listedNames());
}

class UntrustedReaders : public ReceiverTest {
 protected:
  // The exit code of a child that loaded the list and opened a store: one bit for each that
  // read something, so that each is checked on its own.
  static int whatWasRead(bool listEmpty, bool storeUnreadable) {
    return (listEmpty ? 0 : 1) | (storeUnreadable ? 0 : 2);
  }

  static void expectNothingRead(int exitCode) {
    ASSERT_TRUE(exitCode >= 0 && exitCode <= 3) << "the child did not finish: " << exitCode;
    EXPECT_EQ(0, exitCode & 1) << "the list was read";
    EXPECT_EQ(0, exitCode & 2) << "the configuration was read";
  }
};

// Mends a fault: the host's first load of a list or configuration that is a FIFO waited for a
// writer for ever.
TEST_F(UntrustedReaders, AFifoAsListOrConfigurationIsNotWaitedFor) {
  makeFifo(root.recordingsList());
  makeFifo(root.root() / "fifo-config");
  expectNothingRead(resultInChild(
      [this] {
        eZapMain::instance()->loadRecordings(false);
        eConfig store;
        store.open(root.root() / "fifo-config");
        return whatWasRead(eZapMain::instance()->recordings().empty(), store.unreadable());
      },
      20));
}

// Half a gigabyte of address space for this process, where reading two would fail; not under
// AddressSanitizer, which reserves far more for itself.
void limitMemory() {
#if !defined(__SANITIZE_ADDRESS__)
  const rlimit memory{512 << 20, 512 << 20};
  ::setrlimit(RLIMIT_AS, &memory);
#endif
}

// Mends a fault: a list or configuration of two sparse gigabytes was read whole.
TEST_F(UntrustedReaders, AFileOverTheBoundIsNotRead) {
  for (const fs::path& file : {root.recordingsList(), root.root() / "config"}) {
    std::ofstream(file) << "#NAME huge\n";
    fs::resize_file(file, std::uintmax_t{2} << 30);
  }
  const auto readBoth = [this] {
    limitMemory();
    eZapMain::instance()->loadRecordings(false);
    eConfig store;
    store.open(root.root() / "config");
    return whatWasRead(eZapMain::instance()->listName().empty(), store.unreadable());
  };
  expectNothingRead(resultInChild(readBoth));
}

TEST_F(UntrustedReaders, AnEndlessDeviceIsNotRead) {
  if (std::string reason = makeZeroDevice(root.root() / "zero"); !reason.empty())
    GTEST_SKIP() << reason;
  root.symlink("recordings.epl", "/zero", 100);
  expectNothingRead(resultInChild([this] {
    eZapMain::instance()->loadRecordings(false);
    eConfig store;
    store.open(root.root() / "zero");
    return whatWasRead(eZapMain::instance()->recordings().empty(), store.unreadable());
  }));
}

// Watches `path` for opens; events() tells whether any came.
class OpenWatch {
 public:
  explicit OpenWatch(const fs::path& path) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    watching_ = fd_ >= 0 && ::inotify_add_watch(fd_, path.c_str(), IN_OPEN) >= 0;
  }
  ~OpenWatch() { ::close(fd_); }
  bool watching() const { return watching_; }
  bool opened() const {
    alignas(inotify_event) char events[4096];
    return ::read(fd_, events, sizeof events) > 0;
  }

 private:
  int fd_;
  bool watching_ = false;
};

// Mends a fault: an event file that was a FIFO was opened (without waiting, but opened).
TEST_F(UntrustedReaders, EventFilesThatAreNoRegularFilesAreNeverOpened) {
  makeFifo(root.root() / "fifo");
  const struct {
    const char* name;
    std::function<void()> make;
    fs::path watched;
  } cases[] = {
      {"a FIFO", [this] { makeFifo(root.movieDirectory() / "x.eit"); },
       root.movieDirectory() / "x.eit"},
      {"a link to a FIFO", [this] { root.symlink("x.eit", "/fifo", 100); }, root.root() / "fifo"},
      {"a socket", [this] { makeSocket(root.movieDirectory() / "x.eit"); },
       root.movieDirectory() / "x.eit"},
  };
  root.recording("x.ts", 100);
  for (const auto& each : cases) {
    SCOPED_TRACE(each.name);
    each.make();
    OpenWatch watch(each.watched);
    ASSERT_TRUE(watch.watching());
    ASSERT_EQ(1, recoverMovies(1));
    EXPECT_EQ("x", getFileName("/hdd/movie/x.ts", "x.ts"));
    EXPECT_EQ("x", DirMovieFile.at(0).Description);
    EXPECT_FALSE(watch.opened());
    fs::remove(root.movieDirectory() / "x.eit");
  }
  OpenWatch watch(root.root() / "fifo");
  ::close(::open((root.root() / "fifo").c_str(), O_RDONLY | O_NONBLOCK));
  EXPECT_TRUE(watch.opened()) << "the watch sees an open";
}

TEST_F(UntrustedReaders, AnEventFileThatIsADeviceIsNeverOpened) {
  if (std::string reason = makeZeroDevice(root.root() / "zero"); !reason.empty())
    GTEST_SKIP() << reason;
  root.recording("x.ts", 100);
  for (const char* target : {"/zero", "../../zero"}) {
    root.symlink("x.eit", target, 100);
    OpenWatch watch(root.root() / "zero");
    ASSERT_EQ(1, recoverMovies(1));
    EXPECT_EQ("x", getFileName("/hdd/movie/x.ts", "x.ts"));
    EXPECT_FALSE(watch.opened()) << target;
    fs::remove(root.movieDirectory() / "x.eit");
  }
  ASSERT_EQ(0, ::mknod((root.movieDirectory() / "x.eit").c_str(), S_IFCHR | 0666, makedev(1, 5)));
  OpenWatch watch(root.movieDirectory() / "x.eit");
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_FALSE(watch.opened()) << "the device itself";
}

}  // namespace
}  // namespace reliability
