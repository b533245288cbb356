// A receiver disk filled by whoever had it last. Its links resolve inside the root, so that no
// file outside is read as a list or replaced by one; the list replaces only a regular file;
// the host's readers take only regular files, never wait on a FIFO and read a bounded amount;
// event files that are no regular files are never opened.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/reliability/root_resolution.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/open_watch.h"

namespace reliability {
namespace {

using testsupport::resultInChild;

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using RootResolution = DiskWithLinks;
using UntrustedList = DiskWithLinks;
using UntrustedReaders = DiskWithLinks;

TEST_F(RootResolution, EveryPathAndLinkResolvesInsideTheRoot) {
  EXPECT_THAT(failures(), IsEmpty());
}

// Mends faults: the list writer followed a link on this machine and replaced the file outside
// the root that it named; a FIFO, socket or directory as the list, or at the end of its link, was
// replaced by a regular file (or the rebuild said it succeeded); a list linked to /dev/zero
// turned the machine's zero device into a file. An absolute link means the path under the root:
// the list is written there, the link stays, and so do the replaced file's permissions. The
// devices here are the test's own, outside the root and inside it; without root they cannot be
// made and are left out.
TEST_F(UntrustedList, ALinkResolvesUnderTheRootAndOnlyARegularFileThereIsReplaced) {
  root.recording("a.ts", 100);
  fs::create_directory(root.root() / "hdd" / "lists");
  std::ofstream(root.root() / "hdd" / "lists" / "real.epl") << "old";
  fs::permissions(root.root() / "hdd" / "lists" / "real.epl", fs::perms(0640));
  // Recordings linked by absolute paths: one under the root, one outside it (nothing under it).
  root.symlink("x.ts", "/hdd/lists/real.epl", 500);
  root.symlink("y.ts", outsideFile.string(), 500);
  struct Case {
    std::string target;  // the list's link's, or none: the list is a FIFO
    fs::path end;        // where the link ends
    bool rebuilt = false;
  };
  std::vector<Case> cases{
      {outsideFile.string(), outsideFile},
      {kClimb + outsideFile.string(), outsideFile},
      {"out-absolute", outsideFile},
      {"/hdd/fifo", root.root() / "hdd" / "fifo"},
      {"../socket", root.root() / "hdd" / "socket"},
      {"/hdd", root.root() / "hdd"},
      {"recordings.epl", root.recordingsList()},
      {"", root.recordingsList()},
      {"/hdd/lists/real.epl", root.root() / "hdd/lists/real.epl", true},
      {"../../../../../../../hdd/lists/new.epl", root.root() / "hdd/lists/new.epl", true},
      {"/hdd/lists/../lists/chained.epl", root.root() / "hdd/lists/chained.epl", true}};
  const fs::path outsideDevice = outside.root() / "zero";
  if (noDevices.empty() && makeZeroDevice(outsideDevice).empty()) {
    cases.insert(cases.end(),
                 {{outsideDevice.string(), outsideDevice}, {"/zero", root.root() / "zero"}});
  }
  for (const auto& [target, end, rebuilt] : cases) {
    SCOPED_TRACE(target.empty() ? "a FIFO" : "a link to " + target);
    if (target.empty())
      makeFifo(root.recordingsList());
    else
      root.symlink("recordings.epl", target, 100);
    const auto before = kindOf(end);
    EXPECT_EQ(rebuilt ? 3 : 0,
              resultInChild([this] { return rebuildRecordingsList(1) + (reloads() ? 2 : 0); }, 20));
    if (rebuilt)
      EXPECT_THAT(
          testsupport::contents(end).value_or(""),
          ::testing::AllOf(HasSubstr("\n/hdd/movie/a.ts\n"), HasSubstr("\n/hdd/movie/x.ts\n"),
                           ::testing::Not(HasSubstr("y.ts"))));
    else
      EXPECT_EQ(before, kindOf(end));
    EXPECT_EQ("outside", testsupport::contents(outsideFile));
    EXPECT_EQ(target, target.empty() ? "" : fs::read_symlink(root.recordingsList()).string());
    EXPECT_THAT(testsupport::names(root.movieDirectory(), "."), IsEmpty());
    fs::remove(root.recordingsList());
  }
  EXPECT_EQ(fs::perms(0640), fs::status(root.root() / "hdd/lists/real.epl").permissions());
  if (!noDevices.empty()) GTEST_SKIP() << "devices left out: " << noDevices;
}

// Mends faults: a list or settings file that was a FIFO held the first load for ever; one that
// was a device or two sparse gigabytes was read until memory ran out; a store that could not
// read its file replaced it at the next setting, every other setting lost. Each is made as the
// list and as the settings file and read in a child.
TEST_F(UntrustedReaders, AFileTheHostMayNotReadIsNeitherReadNorReplaced) {
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
               {"a FIFO", [](const fs::path& file) { makeFifo(file); }, EINVAL},
               {"a link to a FIFO", link("hdd/fifo"), EINVAL},
               {"a link to a device", link(noDevices.empty() ? "zero" : "hdd/fifo"), EINVAL}};
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
  const fs::path eit = root.movieDirectory() / "x.eit", zero = root.root() / "zero";
  const auto link = [this](const char* target) {
    return [this, target] { root.symlink("x.eit", target, 100); };
  };
  // What x.eit is, and the file watched for opens (none at the end of a loop).
  std::vector<std::tuple<const char*, std::function<void()>, fs::path>> cases{
      {"a FIFO", [&] { makeFifo(eit); }, eit},
      {"a link to a FIFO", link("/hdd/fifo"), root.root() / "hdd" / "fifo"},
      {"a socket", [&] { makeFifo(eit, S_IFSOCK); }, eit},
      {"a directory", [&] { fs::create_directory(eit); }, eit},
      {"a link to itself", link("x.eit"), {}}};
  if (noDevices.empty()) {
    cases.insert(cases.end(), {{"a link to a device", link("/zero"), zero},
                               {"a relative link to a device", link("../../zero"), zero},
                               {"a device", [&] { makeZeroDevice(eit); }, eit}});
  }
  root.recording("x.ts", 100);
  for (const auto& [what, make, watched] : cases) {
    SCOPED_TRACE(what);
    make();
    const testsupport::OpenWatch watch(watched);
    ASSERT_EQ(!watched.empty(), watch.watching());
    ASSERT_EQ(1, rebuildRecordingsList(1));
    EXPECT_EQ("x", getFileName("/hdd/movie/x.ts", "x.ts"));
    EXPECT_EQ("x", DirMovieFile.at(0).Description);
    EXPECT_EQ(0, watch.opens());
    fs::remove(eit);
  }
  if (!noDevices.empty()) GTEST_SKIP() << "devices left out: " << noDevices;
}

}  // namespace
}  // namespace reliability
