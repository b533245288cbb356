// The host's own files where something else stands: a directory in place of the recordings
// list or of the configuration file reads as empty, as an unreadable file does.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/econfig.h"
#include "host/ezapmain.h"
#include "tests/movielist/receiver_fixture.h"

namespace {

class HostileHostFiles : public ReceiverTest {};

// Mends a fault: reading a directory threw out of the host's reader.
TEST_F(HostileHostFiles, ADirectoryForTheListReloadsAsAnEmptyList) {
  root.file("recordings.epl", "#NAME x\n#SERVICE: s\n/p\n");
  eZapMain& main = *eZapMain::instance();
  main.loadRecordings(false);
  ASSERT_EQ(1u, main.recordings().size());
  std::filesystem::remove(root.recordingsList());
  root.directory("recordings.epl");
  main.loadRecordings(false);
  EXPECT_TRUE(main.recordings().empty());
  EXPECT_EQ(2, reloads());
}

// Mends a fault: the same for the configuration store.
TEST_F(HostileHostFiles, ADirectoryForTheConfigurationIsAnEmptyStore) {
  const std::filesystem::path directory = root.root() / "enigma";
  std::filesystem::create_directory(directory);
  eConfig store;
  store.open(directory);
  int value = 7;
  EXPECT_EQ(-1, store.getKey("/enigma/plugins/quillon/filesort", value));
  EXPECT_EQ(7, value);
  EXPECT_EQ(-1, store.setKey("/enigma/plugins/quillon/filesort", 2)) << "cannot replace it";
}

}  // namespace
