// A receiver disk filled by whoever had it last. Its links resolve inside the root, so that no
// file outside is read as a list or replaced by one; the list replaces only a regular file;
// the host's readers take only regular files, never wait on a FIFO and read a bounded amount;
// event files that are no regular files are never opened.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/reliability/root_resolution.h"
#include "tests/reliability/special_files.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/open_watch.h"
#include "tests/support/receiver_fixture.h"

namespace reliability {
namespace {

using testsupport::OpenWatch;
using testsupport::resultInChild;

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

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

  std::set<std::string> temporaryFiles() const {
    return testsupport::names(root.movieDirectory(), ".");
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
    EXPECT_EQ(0, rebuildRecordingsList(1));
    EXPECT_EQ(kOutsideText, testsupport::contents(outsideFile));
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
    ASSERT_EQ(1, rebuildRecordingsList(1));
    EXPECT_THAT(testsupport::contents(root.root() / each.file).value_or(""),
                HasSubstr("\n/hdd/movie/a.ts\n"));
    EXPECT_EQ(each.target, fs::read_symlink(root.recordingsList()).string());
    fs::remove(root.recordingsList());
  }
  EXPECT_EQ(fs::perms(0640), fs::status(root.root() / "hdd/lists/real.epl").permissions());
}

// Mends faults: a FIFO, socket or directory as the list, or at the end of its link, was
// replaced by a regular file (or the rebuild said it succeeded); a list linked to /dev/zero
// turned the machine's zero device into a file. The devices here are the test's own, outside
// the root and inside it; without root they cannot be made and are left out.
TEST_F(UntrustedList, AnythingButARegularFileIsLeftAsItIsAndTheRebuildFails) {
  makeFifo(root.root() / "hdd" / "fifo");
  makeSocket(root.root() / "hdd" / "socket");
  struct Case {
    std::string linkTarget;  // empty: the list itself is a FIFO
    fs::path end;
  };
  std::vector<Case> cases{{"/hdd/fifo", root.root() / "hdd" / "fifo"},
                          {"../socket", root.root() / "hdd" / "socket"},
                          {"/hdd", root.root() / "hdd"},
                          {"recordings.epl", root.recordingsList()},
                          {"", root.recordingsList()}};
  const fs::path outsideDevice = outside.root() / "zero";
  const std::string noDevices = makeZeroDevice(outsideDevice);
  if (noDevices.empty() && makeZeroDevice(root.root() / "zero").empty()) {
    cases.insert(cases.end(), {{outsideDevice.string(), outsideDevice},
                               {kClimb + "/zero", root.root() / "zero"},
                               {"/zero", root.root() / "zero"}});
  }
  for (const Case& each : cases) {
    SCOPED_TRACE(each.linkTarget.empty() ? "a FIFO" : "a link to " + each.linkTarget);
    if (each.linkTarget.empty())
      makeFifo(root.recordingsList());
    else
      root.symlink("recordings.epl", each.linkTarget, 100);
    const auto before = kindOf(each.end);
    EXPECT_EQ(0, resultInChild([] { return rebuildRecordingsList(1); }, 20));
    EXPECT_EQ(before, kindOf(each.end));
    EXPECT_THAT(temporaryFiles(), IsEmpty());
    fs::remove(root.recordingsList());
  }
  if (!noDevices.empty()) GTEST_SKIP() << "devices left out: " << noDevices;
}

// A recording linked by an absolute path is the one under the root: its date is that file's.
TEST_F(UntrustedList, AnAbsoluteLinkToARecordingIsDatedUnderTheRoot) {
  fs::create_directories(root.root() / "hdd" / "other");
  std::ofstream(root.root() / "hdd" / "other" / "x.ts") << "ts";
  const timespec times[2] = {{1234, 0}, {1234, 0}};
  ASSERT_EQ(0, ::utimensat(AT_FDCWD, (root.root() / "hdd/other/x.ts").c_str(), times, 0));
  root.symlink("x.ts", "/hdd/other/x.ts", 500);
  root.symlink("gone.ts", outsideFile.string(), 500);
  ASSERT_EQ(1, rebuildRecordingsList(1));
  EXPECT_EQ(std::vector<std::string>({"a.ts", "x.ts"}), listedNames());
}

class UntrustedReaders : public ReceiverTest {
 protected:
  // In a child (after `prepare`): loads the list and opens a store on `config`; each that read
  // something is reported, each on its own.
  void expectNothingRead(
      const fs::path& config, const std::function<void()>& prepare = [] {}) {
    const int read = resultInChild(
        [&] {
          prepare();
          eZapMain::instance()->loadRecordings(false);
          eConfig store;
          store.open(config);
          return (eZapMain::instance()->listName().empty() ? 0 : 1) | (store.unreadable() ? 0 : 2);
        },
        20);
    ASSERT_TRUE(read >= 0 && read <= 3) << "the child did not finish: " << read;
    EXPECT_EQ(0, read & 1) << "the list was read";
    EXPECT_EQ(0, read & 2) << "the configuration was read";
  }
};

// Mends a fault: the host's first load of a list or configuration that is a FIFO waited for a
// writer for ever.
TEST_F(UntrustedReaders, AFifoAsListOrConfigurationIsNotWaitedFor) {
  makeFifo(root.recordingsList());
  makeFifo(root.root() / "fifo-config");
  expectNothingRead(root.root() / "fifo-config");
}

// Mends a fault: a list or configuration of two sparse gigabytes was read whole. Half a
// gigabyte of address space for the child, where reading two would fail; not under
// AddressSanitizer, which reserves far more for itself.
TEST_F(UntrustedReaders, AFileOverTheBoundIsNotRead) {
  for (const fs::path& file : {root.recordingsList(), root.root() / "config"}) {
    std::ofstream(file) << "#NAME huge\n";
    fs::resize_file(file, std::uintmax_t{2} << 30);
  }
  expectNothingRead(root.root() / "config", [] {
#if !defined(__SANITIZE_ADDRESS__)
    const rlimit memory{512 << 20, 512 << 20};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
  });
}

TEST_F(UntrustedReaders, AnEndlessDeviceIsNotRead) {
  if (std::string reason = makeZeroDevice(root.root() / "zero"); !reason.empty())
    GTEST_SKIP() << reason;
  root.symlink("recordings.epl", "/zero", 100);
  expectNothingRead(root.root() / "zero");
}

// Mends faults: an event file that was a FIFO was opened (without waiting, but opened), and
// before that waited for a writer for ever. Whatever is no regular file names its recording by
// the file name. Device nodes need root to be made; without it they are left out.
TEST_F(UntrustedReaders, EventFilesThatAreNoRegularFilesAreNeverOpened) {
  makeFifo(root.root() / "fifo");
  const fs::path eit = root.movieDirectory() / "x.eit";
  struct Case {
    const char* name;
    std::function<void()> make;
    fs::path watched;
  };
  std::vector<Case> cases{
      {"a FIFO", [&] { makeFifo(eit); }, eit},
      {"a link to a FIFO", [this] { root.symlink("x.eit", "/fifo", 100); }, root.root() / "fifo"},
      {"a socket", [&] { makeSocket(eit); }, eit},
      {"a directory", [&] { fs::create_directory(eit); }, eit},
      {"a link to itself", [this] { root.symlink("x.eit", "x.eit", 100); }, {}}};
  const std::string noDevices = makeZeroDevice(root.root() / "zero");
  if (noDevices.empty()) {
    cases.insert(cases.end(),
                 {{"a link to a device", [this] { root.symlink("x.eit", "/zero", 100); },
                   root.root() / "zero"},
                  {"a relative link to a device",
                   [this] { root.symlink("x.eit", "../../zero", 100); }, root.root() / "zero"},
                  {"a device", [&] { ::mknod(eit.c_str(), S_IFCHR | 0666, makedev(1, 5)); }, eit}});
  }
  root.recording("x.ts", 100);
  for (const Case& each : cases) {
    SCOPED_TRACE(each.name);
    each.make();
    const OpenWatch watch(each.watched);  // nothing to watch at the end of a loop
    ASSERT_EQ(!each.watched.empty(), watch.watching());
    ASSERT_EQ(1, rebuildRecordingsList(1));
    EXPECT_EQ("x", getFileName("/hdd/movie/x.ts", "x.ts"));
    EXPECT_EQ("x", DirMovieFile.at(0).Description);
    EXPECT_EQ(0, watch.opens());
    fs::remove(eit);
  }
  const OpenWatch watch(root.root() / "fifo");
  ::close(::open((root.root() / "fifo").c_str(), O_RDONLY | O_NONBLOCK));
  EXPECT_EQ(1, watch.opens()) << "the watch sees an open";
  if (!noDevices.empty()) GTEST_SKIP() << "devices left out: " << noDevices;
}

}  // namespace
}  // namespace reliability
