// The whole product under injected faults: quillon-host runs the plug-in with one of libfiu's
// failure points enabled from its start, as `fiu-run -x -c "enable name=..."` runs it, and a
// key script starts the rebuild. The user reads the failure message, the old list stays byte
// for byte with no temporary file, no reload is requested, and the program ends normally.
#include <gmock/gmock.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/host_process.h"
#include "tests/reliability/fault_fixture.h"

namespace reliability {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// What fiu-run -x sets up, behind the sanitizer runtime where there is one to put first; the
// leak checker is told of libfiu's own.
std::vector<std::string> faultEnvironment(const std::string& point, int error) {
  const std::string first = QUILLON_PRELOAD_FIRST;
  return {"LD_PRELOAD=" + (first.empty() ? "" : first + " ") + QUILLON_FIU_RUN_PRELOAD + " " +
              QUILLON_FIU_POSIX_PRELOAD,
          "FIU_ENABLE=enable name=" + point + ",failinfo=" + std::to_string(error),
          std::string("LSAN_OPTIONS=suppressions=") + QUILLON_LIBFIU_LEAKS};
}

class WholeProgramFaults : public FaultTest {};

TEST_F(WholeProgramFaults, TheUserReadsTheFailureAndTheOldListStays) {
  struct Case {
    const char* point;
    int error;
  };
  for (const Case& fault : {Case{"posix/io/sync/fsync", EIO}, Case{"posix/io/dir/rename", ENOSPC},
                            Case{"posix/io/dir/readdir", EIO}}) {
    const HostRun run =
        runProgram(QUILLON_HOST_PATH,
                   {"--root", root.root().string(), "--keys", "exit down down ok ok exit exit"},
                   faultEnvironment(fault.point, fault.error));
    EXPECT_EQ(0, run.status) << fault.point << "\n" << run.errors;
    EXPECT_THAT(run.out, HasSubstr("\n  Movies could not be recovered.\n")) << fault.point;
    EXPECT_THAT(run.out, Not(HasSubstr("recordings reloaded"))) << fault.point;
    EXPECT_EQ(kOldList, root.readRecordingsList()) << fault.point;
    EXPECT_THAT(hiddenFiles(root.movieDirectory()), ::testing::IsEmpty());
  }
}

}  // namespace
}  // namespace reliability
