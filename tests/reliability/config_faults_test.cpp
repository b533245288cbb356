// The configuration store when its file cannot be replaced: setKey reports the failure, the old
// file stays byte for byte with no temporary file beside it, and this process keeps the value.
#include <asm/unistd.h>
#include <fcntl.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "host/econfig.h"
#include "movielist/display_name.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/fault_fixture.h"
#include "tests/reliability/syscall_fault.h"

namespace reliability {
namespace {

constexpr std::string_view kOldSettings = "# written by hand\n/enigma/plugins/quillon/filesort=4\n";

class ConfigFaults : public FaultTest {
 protected:
  void SetUp() override {
    FaultTest::SetUp();
    std::filesystem::create_directory(directory);
    std::ofstream(file, std::ios::binary) << kOldSettings;
    store.open(file);
  }

  std::string fileContents() const {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  }

  void expectTheOldFileUntouched() const {
    EXPECT_EQ(kOldSettings, fileContents());
    EXPECT_THAT(hiddenFiles(directory), ::testing::IsEmpty());
  }

  const std::filesystem::path directory = root.root() / "settings";
  const std::filesystem::path file = directory / "enigma";
  eConfig store;
};

TEST_F(ConfigFaults, AFailedWriteKeepsTheOldFileAndTheNewValue) {
  struct Case {
    const char* point;
    int error;
  };
  for (const Case& fault :
       {Case{"posix/stdio/oc/fdopen", EMFILE}, Case{"posix/stdio/fflush", ENOSPC},
        Case{"posix/io/sync/fsync", EIO}, Case{"posix/io/dir/rename", EIO}}) {
    {
      FailurePoint point(fault.point, fault.error);
      EXPECT_EQ(-1, store.setKey("/enigma/plugins/quillon/filesort", 6)) << fault.point;
    }
    expectTheOldFileUntouched();
    int value = 0;
    EXPECT_EQ(0, store.getKey("/enigma/plugins/quillon/filesort", value));
    EXPECT_EQ(6, value) << fault.point;
  }
}

TEST_F(ConfigFaults, AFileThatCannotBeCreatedOrWrittenIsReported) {
  for (const SyscallFault& fault :
       {SyscallFault{__NR_openat, ENOSPC, SyscallFault::When::ArgumentHasBits, 2, O_CREAT},
        SyscallFault{__NR_write, ENOSPC, SyscallFault::When::ArgumentAbove, 0, 2}}) {
    EXPECT_EQ(0, resultInChild([this, &fault] {
                if (!installSyscallFault(fault)) return 2;
                return store.setKey("/enigma/plugins/quillon/filesort", 6) == -1 ? 0 : 1;
              }));
    expectTheOldFileUntouched();
  }
}

TEST_F(ConfigFaults, TheSettingTakesEffectThoughItCouldNotBeStored) {
  {
    FailurePoint point("posix/io/sync/fsync", EIO);
    ASSERT_EQ(-1, eConfig::instance()->setKey(kEitInfoKey, 0));
  }
  EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"));
}

}  // namespace
}  // namespace reliability
