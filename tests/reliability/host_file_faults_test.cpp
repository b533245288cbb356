// The host's own files when the disk fails them. The configuration store whose file cannot be
// replaced: setKey reports it, the old file stays byte for byte with no temporary file beside
// it, and this process keeps the value. A list or configuration file that cannot be read reads
// as empty, as the host documents for an unreadable file. Running out of
// memory while a file is replaced leaves no temporary file.
#include <new>

#include "disk/replaced_file.h"
#include "host/econfig.h"
#include "movielist/display_name.h"
#include "tests/reliability/fault_fixture.h"

namespace reliability {
namespace {

using ConfigFaults = FaultTest;

TEST_F(ConfigFaults, AFailedWriteKeepsTheOldFileAndTheSettingTakesEffect) {
  eConfig& store = *eConfig::instance();
  ASSERT_EQ(0, store.setKey(kEitInfoKey, 1));
  const auto contents = [this] { return testsupport::contents(root.root() / "config"); };
  const auto old = contents();
  for (const PointFault& fault : kReplaceFaults) {
    {
      FailurePoint point(fault);
      EXPECT_EQ(-1, store.setKey(kEitInfoKey, 0)) << fault.point;
    }
    EXPECT_EQ(old, contents()) << fault.point;
    EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"))
        << "the event information is off: " << fault.point;
  }
  EXPECT_THAT(testsupport::names(root.root(), "."), ::testing::IsEmpty());
}

using HostFiles = FaultTest;

// Mends a fault: the stream buffer's exception for a failed read left the host's reader and
// ended the process. (What is no regular file, or too large: untrusted_disk_test.cpp.)
TEST_F(HostFiles, AListOrConfigurationThatCannotBeReadReadsAsEmpty) {
  eZapMain& main = *eZapMain::instance();
  main.loadRecordings(false);
  ASSERT_EQ(1u, main.recordings().size());
  {
    FailurePoint point({"posix/io/rw/read", EIO});
    main.loadRecordings(false);
  }
  EXPECT_TRUE(main.recordings().empty());

  eConfig& store = *eConfig::instance();
  ASSERT_EQ(0, store.setKey(kEitInfoKey, 0));
  int value = -1;
  {
    FailurePoint point({"posix/io/rw/read", EIO});
    store.open(root.root() / "config");
  }
  EXPECT_EQ(-1, store.getKey(kEitInfoKey, value));
  EXPECT_TRUE(store.unreadable());
}

// Mends a fault: when the writer's buffer could not be allocated, the temporary file it had
// already created stayed. Each allocation on the way to an open file fails in turn.
TEST_F(HostFiles, RunningOutOfMemoryWhileReplacingLeavesNoTemporaryFile) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's allocator comes before libfiu's, which cannot fail one here";
#endif
  bool opened = false;
  int calls = 0;
  for (; calls < 100 && !opened; ++calls) {
    {
      FailurePoint point({"libc/mm/malloc", ENOMEM, calls});
      try {
        disk::ReplacedFile file(disk::receiverRoot(), "/hdd/movie/recordings.epl");
        opened = file.isOpen();
      } catch (const std::bad_alloc&) {
      }
    }
    EXPECT_THAT(testsupport::names(root.movieDirectory(), "."), ::testing::IsEmpty()) << calls;
    EXPECT_EQ(kOldList, root.readRecordingsList()) << calls;
  }
  EXPECT_TRUE(opened) << "with enough memory the file opens";
  EXPECT_GT(calls, 3) << "allocations failed on the way";
}

}  // namespace
}  // namespace reliability
