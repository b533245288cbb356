// The rebuild when the disk fails it. Writing the list: the stream cannot be opened or flushed,
// the sync fails, the directory cannot be read; each ends with result 0, the old list byte for
// byte, no temporary file and no reload, in a process that goes on (the calls libfiu cannot
// fail: crash_safety_test.cpp). Reading the entries: an event file that cannot be read names its
// recording by the file name. The whole program: quillon-host runs the plug-in with one of
// libfiu's failure points enabled from its start, as `fiu-run -x -c "enable name=..."` runs it,
// and a key script starts the rebuild.
#include <span>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/reliability/fault_fixture.h"
#include "tests/support/host_process.h"

namespace reliability {
namespace {

using ::testing::HasSubstr;

class ListFaults : public FaultTest {};

TEST_F(ListFaults, AFailedStepKeepsTheOldListAndTheNextRebuildWritesIt) {
  const PointFault listingFaults[] = {{"posix/io/dir/fdopendir", ENOMEM},
                                      {"posix/io/dir/readdir", EIO},
                                      {"posix/io/dir/readdir", EIO, 3}};
  using Faults = std::span<const PointFault>;
  for (const auto& [faults, listingFails] :
       {std::pair{Faults(kReplaceFaults), false}, std::pair{Faults(listingFaults), true}}) {
    for (const PointFault& fault : faults) {
      SCOPED_TRACE(std::string(fault.point) + " after " + std::to_string(fault.callsFirst));
      {
        FailurePoint point(fault);
        EXPECT_EQ(0, rebuildRecordingsList(1));
      }
      EXPECT_TRUE(!listingFails || DirMovieFile.empty());
      expectTheOldListUntouched();
    }
  }
  EXPECT_EQ(1, rebuildRecordingsList(1));
  EXPECT_EQ(2u, eZapMain::instance()->recordings().size());
  EXPECT_EQ(1, reloads());
}

class ScanFaults : public FaultTest {};

TEST_F(ScanFaults, AnEventFileThatCannotBeOpenedOrReadGivesTheFileName) {
  {
    FailurePoint point({"posix/io/oc/open", EACCES});
    EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"));
  }
  {
    FailurePoint point({"posix/io/rw/read", EIO});
    ASSERT_EQ(1, rebuildRecordingsList(1));
    EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"));
  }
  EXPECT_THAT(*root.readRecordingsList(), HasSubstr("\n#DESCRIPTION: b\n"));
  EXPECT_EQ("Tatort", getFileName("/hdd/movie/b.ts", "b.ts")) << "and once it reads again";
}

// What fiu-run -x sets up, behind the sanitizer runtime where there is one to put first; the
// leak checker is told of libfiu's own.
std::vector<std::string> faultEnvironment(const std::string& point, int error) {
  const std::string first = QUILLON_PRELOAD_FIRST;
  return {"LD_PRELOAD=" + (first.empty() ? "" : first + " ") + QUILLON_FIU_RUN_PRELOAD + " " +
              QUILLON_FIU_POSIX_PRELOAD,
          "FIU_ENABLE=enable name=" + point + ",failinfo=" + std::to_string(error),
          std::string("LSAN_OPTIONS=print_suppressions=0:suppressions=") + QUILLON_LIBFIU_LEAKS};
}

class WholeProgramFaults : public FaultTest {};

// Mends a fault: nothing said why the rebuild failed. The reason is one line on standard error.
TEST_F(WholeProgramFaults, TheUserReadsTheFailureAndTheOldListStays) {
  const std::string list = root.recordingsList().string();
  const std::string movies = root.movieDirectory().string();
  const struct {
    PointFault fault;
    std::string reason;
  } cases[] = {
      {{"posix/io/sync/fsync", EIO}, list + ": cannot be written: Input/output error"},
      {{"posix/stdio/oc/fdopen", ENOMEM}, list + ": cannot be written: Cannot allocate memory"},
      {{"posix/io/dir/readdir", EIO}, movies + ": cannot be listed to its end: Input/output error"},
  };
  for (const auto& [fault, reason] : cases) {
    SCOPED_TRACE(fault.point);
    const HostRun run =
        runProgram(QUILLON_HOST_PATH,
                   {"--root", root.root().string(), "--keys", "exit down down ok ok exit exit"},
                   faultEnvironment(fault.point, fault.error));
    EXPECT_EQ(0, run.status) << run.errors;
    EXPECT_THAT(run.out, HasSubstr("\n  Movies could not be recovered.\n"));
    EXPECT_THAT(run.out, ::testing::Not(HasSubstr("recordings reloaded")));
    EXPECT_EQ("quillon-host: taking '" + root.root().string() +
                  "' as a receiver's whole root\nquillon-host: rebuild: " + reason + "\n",
              run.errors);
    expectTheOldListUntouched();
  }
}

}  // namespace
}  // namespace reliability
