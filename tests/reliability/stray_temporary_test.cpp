// What a crash or a power cut left beside the list or the configuration file is removed by the
// next write, and never a temporary file that another writer (another rebuild on this machine,
// or on another that shares the disk) still holds, nor anything that is no regular file or does
// not carry the temporary files' mark; what is no regular file is never opened. The
// rebuild finds the list's temporary files in its own listing; the store's temporary file has a
// fixed name that its next write checks.
#include <gmock/gmock.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "disk/replaced_file.h"
#include "movielist/recover.h"
#include "tests/reliability/special_files.h"
#include "tests/support/files.h"
#include "tests/support/open_watch.h"
#include "tests/support/receiver_fixture.h"

namespace {

namespace fs = std::filesystem;
using reliability::makeFifo;
using reliability::makeZeroDevice;
using ::testing::ElementsAre;
using testsupport::names;
using testsupport::OpenWatch;

using StrayTemporaries = ReceiverTest;

// The temporary names of the list: the mark, then eight letters or digits.
std::string temporary(const char* suffix) {
  return std::string(".recordings.epl.~quillon~") + suffix;
}

// Mends faults: a user's file named like a temporary of earlier versions (six letters or digits
// after the list's name: ".recordings.epl.backup") was removed as abandoned, and a device named
// like one was opened before its type was checked.
TEST_F(StrayTemporaries, TheRebuildRemovesWhatACrashLeftButNotWhatAWriterHolds) {
  root.recording("a.ts", 100);
  root.file(temporary("Ab3xY9Zq"), "#NAME half a list\n");
  root.file(temporary("q0Q0q0q0"), "");
  fs::permissions(root.movieDirectory() / temporary("q0Q0q0q0"), fs::perms::owner_read);
  // Names that are no temporary file of the list stay whatever they hold, and so does what is
  // named like one but is no regular file; that is never opened.
  for (const std::string& other :
       std::vector<std::string>{".recordings.epl.Ab3xY9", ".recordings.epl.backup",
                                ".recordings.epl.new", temporary("Ab3x_9Zq"), temporary("Ab3xY9Z"),
                                temporary("Ab3xY9Zq9"), ".settings.~quillon~Ab3xY9Zq",
                                "recordings.epl.Ab3xY9Zq", ".recordings.epl~quillon~Ab3xY9Zq"})
    root.file(other, "someone's");
  root.directory(temporary("Dir00001"));
  root.symlink(temporary("Lnk00001"), temporary("Ab3xY9Zq"), 100);
  std::vector<std::string> special{temporary("Fif00001"), ".recordings.epl.Fif001"};
  for (const std::string& name : special) makeFifo(root.movieDirectory() / name);
  if (makeZeroDevice(root.movieDirectory() / temporary("Dev00001")).empty())
    special.push_back(temporary("Dev00001"));
  std::deque<OpenWatch> watches;
  for (const std::string& name : special) watches.emplace_back(root.movieDirectory() / name);
  const disk::ReplacedFile otherWriter(disk::receiverRoot(), "/hdd/movie/recordings.epl");
  ASSERT_TRUE(otherWriter.isOpen());
  std::set<std::string> staying = names(root.movieDirectory(), ".");
  for (const char* left : {"Ab3xY9Zq", "q0Q0q0q0"}) staying.erase(temporary(left));

  EXPECT_EQ(1, rebuildRecordingsList(0));
  EXPECT_THAT(names(root.movieDirectory(), "."), ::testing::ElementsAreArray(staying));
  EXPECT_EQ("someone's", testsupport::contents(root.movieDirectory() / "recordings.epl.Ab3xY9Zq"));
  for (const OpenWatch& watch : watches) EXPECT_EQ(0, watch.opens());
}

TEST_F(StrayTemporaries, TheStoreReplacesWhatACrashLeftAndFailsWhileAWriterHoldsIt) {
  const fs::path config = root.root() / "config";
  const std::string fixedName = disk::ReplacedFile::fixedTemporaryName("config");
  eConfig& store = *eConfig::instance();
  std::ofstream(root.root() / fixedName) << "half=";
  std::ofstream(root.root() / ".config.new") << "the user's own";
  EXPECT_EQ(0, store.setKey("/enigma/plugins/quillon/filesort", 3));
  EXPECT_THAT(names(root.root(), "."), ElementsAre(".config.new"));
  {
    const disk::ReplacedFile otherWriter(disk::machineRoot(), config.string(),
                                         disk::ReplacedFile::TemporaryName::Fixed);
    ASSERT_TRUE(otherWriter.isOpen());
    EXPECT_EQ(-1, store.setKey("/enigma/plugins/quillon/filesort", 4));
    EXPECT_THAT(names(root.root(), "."), ElementsAre(".config.new", fixedName));
  }
  EXPECT_EQ("/enigma/plugins/quillon/filesort=3\n", testsupport::contents(config));
  EXPECT_EQ("the user's own", testsupport::contents(root.root() / ".config.new"));
}

}  // namespace
