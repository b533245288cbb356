// A receiver disk filled by whoever had it last. Its links resolve inside the root, so that no
// file outside is read as a list or replaced by one; the list replaces only a regular file;
// the host's readers take only regular files, never wait on a FIFO and read a bounded amount;
// event files that are no regular files are never opened.
#include <fcntl.h>
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

// Mends faults: the list writer followed a link on this machine and replaced the file outside
// the root that it named; a FIFO, socket or directory as the list, or at the end of its link, was
// replaced by a regular file (or the rebuild said it succeeded); a list linked to /dev/zero
// turned the machine's zero device into a file. The devices here are the test's own, outside the
// root and inside it; without root they cannot be made and are left out.
TEST_F(UntrustedList, AListThatLeadsOutOfTheRootOrToNoRegularFileIsLeftAsItIs) {
  makeFifo(root.root() / "hdd" / "fifo");
  makeSocket(root.root() / "hdd" / "socket");
  root.symlink("hop", outsideFile.string(), 100);
  std::vector<std::pair<std::string, fs::path>> cases{// the link's target (none: a FIFO), its end
                                                      {outsideFile.string(), outsideFile},
                                                      {kClimb + outsideFile.string(), outsideFile},
                                                      {"hop", outsideFile},
                                                      {"/hdd/fifo", root.root() / "hdd" / "fifo"},
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
  for (const auto& [target, end] : cases) {
    SCOPED_TRACE(target.empty() ? "a FIFO" : "a link to " + target);
    if (target.empty())
      makeFifo(root.recordingsList());
    else
      root.symlink("recordings.epl", target, 100);
    const auto before = kindOf(end);
    EXPECT_EQ(0,
              resultInChild([this] { return rebuildRecordingsList(1) + (reloads() ? 2 : 0); }, 20));
    EXPECT_EQ(before, kindOf(end));
    EXPECT_EQ(kOutsideText, testsupport::contents(outsideFile));
    EXPECT_EQ(target, target.empty() ? "" : fs::read_symlink(root.recordingsList()).string());
    EXPECT_THAT(temporaryFiles(), IsEmpty());
    fs::remove(root.recordingsList());
  }
  if (!noDevices.empty()) GTEST_SKIP() << "devices left out: " << noDevices;
}

TEST_F(UntrustedList, AnAbsoluteLinkMeansThePathUnderTheRootAndStays) {
  fs::create_directory(root.root() / "hdd" / "lists");
  std::ofstream(root.root() / "hdd" / "lists" / "real.epl") << "old";
  fs::permissions(root.root() / "hdd" / "lists" / "real.epl", fs::perms(0640));
  // Recordings linked by absolute paths: one under the root, one outside it (nothing under it).
  root.symlink("x.ts", "/hdd/lists/real.epl", 500);
  root.symlink("y.ts", outsideFile.string(), 500);
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
    EXPECT_EQ(std::vector<std::string>({"a.ts", "x.ts"}), listedNames());
    EXPECT_THAT(testsupport::contents(root.root() / each.file).value_or(""),
                HasSubstr("\n/hdd/movie/a.ts\n"));
    EXPECT_EQ(each.target, fs::read_symlink(root.recordingsList()).string());
    fs::remove(root.recordingsList());
  }
  EXPECT_EQ(fs::perms(0640), fs::status(root.root() / "hdd/lists/real.epl").permissions());
}

using UntrustedReaders = ReceiverTest;

// Mends faults: a list or settings file that was a FIFO held the first load for ever; one that
// was a device or two sparse gigabytes was read until memory ran out; a store that could not
// read its file replaced it at the next setting, every other setting lost. Each is made as the
// list and as the settings file and read in a child.
TEST_F(UntrustedReaders, AFileTheHostMayNotReadIsNeitherReadNorReplaced) {
  makeFifo(root.root() / "fifo");
  const std::string noDevices = makeZeroDevice(root.root() / "zero");
  const fs::path config = root.root() / "config";
  const auto link = [this](const char* name) {
    return [this, name](const fs::path& file) {
      fs::create_symlink(fs::relative(root.root() / name, file.parent_path()), file);
    };
  };
  const struct {
    const char* what;
    std::function<void(const fs::path&)> make;
    int error;
  } cases[] = {{"over the bound",
                [&config](const fs::path& file) {  // one byte over
                  std::ofstream(file) << "#NAME huge\n";
                  fs::resize_file(
                      file, 1 + (file == config ? eConfig::kFileLimit : eZapMain::kListFileLimit));
                },
                EFBIG},
               {"a directory", [](const fs::path& file) { fs::create_directory(file); }, EISDIR},
               {"a FIFO", makeFifo, EINVAL},
               {"a link to a FIFO", link("fifo"), EINVAL},
               {"a link to a device", link(noDevices.empty() ? "zero" : "fifo"), EINVAL}};
  for (const auto& [what, make, error] : cases) {
    SCOPED_TRACE(what);
    make(root.recordingsList());
    make(config);
    const auto before = kindOf(config);
    const auto size = fs::is_regular_file(config) ? fs::file_size(config) : 0;
    const int read = resultInChild(
        [&config, error = error] {
          eZapMain::instance()->loadRecordings(false);
          eConfig store;
          store.open(config);
          int value = 0;
          return (eZapMain::instance()->listName().empty() ? 0 : 1) |
                 (store.readError() == error ? 0 : 2) | (store.setKey("/a", 2) == -1 ? 0 : 4) |
                 (store.getKey("/a", value) == 0 && value == 2 ? 0 : 8);
        },
        20);
    EXPECT_EQ(0, read) << "1: the list was read, 2: the store, 4: replaced, 8: the value lost";
    EXPECT_EQ(before, kindOf(config));
    EXPECT_EQ(size, fs::is_regular_file(config) ? fs::file_size(config) : 0);
    fs::remove_all(root.recordingsList());
    fs::remove_all(config);
  }
  if (!noDevices.empty()) GTEST_SKIP() << "devices left out: " << noDevices;
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
