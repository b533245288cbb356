// The host's readers when a read fails: a list file or configuration file that cannot be read
// to its end is read as empty, as the host documents for an unreadable file, rather than
// throwing out of the reader and ending the process.
#include <cerrno>
#include <filesystem>

#include "host/econfig.h"
#include "host/ezapmain.h"
#include "tests/reliability/fault_fixture.h"

namespace reliability {
namespace {

class HostReadFaults : public FaultTest {};

// Mends a fault: the stream buffer's exception for a failed read left loadRecordings.
TEST_F(HostReadFaults, AListThatCannotBeReadReloadsAsEmpty) {
  eZapMain& main = *eZapMain::instance();
  main.loadRecordings(false);
  ASSERT_EQ(1u, main.recordings().size());
  {
    FailurePoint point("posix/io/rw/read", EIO);
    main.loadRecordings(false);
  }
  EXPECT_TRUE(main.recordings().empty());
  EXPECT_EQ("", main.listName());
}

// Mends a fault: the same exception left eConfig::open.
TEST_F(HostReadFaults, AConfigurationThatCannotBeReadIsAnEmptyStore) {
  const std::filesystem::path file = root.root() / "config";
  ASSERT_EQ(0, eConfig::instance()->setKey("/a", 5));
  eConfig store;
  {
    FailurePoint point("posix/io/rw/read", EIO);
    store.open(file);
  }
  int value = -1;
  EXPECT_EQ(-1, store.getKey("/a", value));
  EXPECT_EQ(-1, value);
}

}  // namespace
}  // namespace reliability
