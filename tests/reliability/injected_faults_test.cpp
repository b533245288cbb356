// Faults injected into this process through libfiu: the rebuild and the configuration store when
// the disk fails them, and the host's own files. Writing the list or the settings: the stream
// cannot be opened or flushed, the sync fails, the directory cannot be read; each ends with the
// old file byte for byte, no temporary file and no reload, in a process that goes on (the calls
// libfiu cannot fail: crash_safety_test.cpp). Reading: an event file that cannot be read names
// its recording by the file name; a list or configuration file that cannot be read reads as
// empty. Running out of memory while a file is replaced leaves no temporary file. The whole
// program: quillon-host runs the plug-in with one of libfiu's failure points enabled from its
// start, as `fiu-run -x -c "enable name=..."` runs it, and a key script starts the rebuild.
#include <fiu-control.h>
#include <fiu.h>
#include <gmock/gmock.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "disk/replaced_file.h"
#include "host/econfig.h"
#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/reliability/replaced_files.h"
#include "tests/support/host_process.h"
#include "tests/support/receiver_fixture.h"

namespace reliability {
namespace {

// A libfiu failure point (named as in libfiu's list, e.g. "posix/io/sync/fsync"), the errno its
// calls fail with, and how many calls it lets through first. The test runs with libfiu's POSIX
// preload (fiu-run -x), whose wrappers fail a call while its point is enabled, setting errno as
// the real call would.
struct PointFault {
  const char* point;
  int error;
  int callsFirst = 0;
};

// Enables a failure point while it lives. One point is enabled at a time.
class FailurePoint {
 public:
  explicit FailurePoint(const PointFault& fault) : name_(fault.point) {
    fiu_init(0);
    callsToLetThrough = fault.callsFirst;
    void* failInfo = reinterpret_cast<void*>(static_cast<std::intptr_t>(fault.error));
    fiu_enable_external(name_, 1, failInfo, 0, &failAfterTheFirstCalls);
  }
  FailurePoint(const FailurePoint&) = delete;
  ~FailurePoint() { fiu_disable(name_); }

 private:
  // Fails the call once none is left to let through, else counts it as let through.
  static int failAfterTheFirstCalls(const char*, int*, void**, unsigned*) {
    return callsToLetThrough == 0 || callsToLetThrough-- == 0;
  }

  static inline int callsToLetThrough = 0;
  const char* const name_;
};

// A root with a list from an earlier rebuild and two recordings, one named by its event file.
class FaultTest : public ReceiverTest {
 protected:
  FaultTest() {
    root.file("recordings.epl", kOldList);
    root.recording("a.ts", 100);
    root.recording(
        "b.ts", 200,
        fixtures::EventBuilder().shortEvent("deu", fixtures::dvbText("Tatort"), {}).bytes());
  }

  // What every failed rebuild leaves: the old list, no temporary file, no reload requested.
  void expectTheOldListUntouched() const {
    EXPECT_EQ(kOldList, root.readRecordingsList());
    EXPECT_THAT(testsupport::names(root.movieDirectory(), "."), ::testing::IsEmpty());
    EXPECT_EQ(0, reloads());
  }
};

// What fiu-run -x sets up, behind the sanitizer runtime where there is one to put first; the
// leak checker is told of libfiu's own.
std::vector<std::string> faultEnvironment(const std::string& point, int error) {
  const std::string first = QUILLON_PRELOAD_FIRST;
  return {"LD_PRELOAD=" + (first.empty() ? "" : first + " ") + QUILLON_FIU_RUN_PRELOAD + " " +
              QUILLON_FIU_POSIX_PRELOAD,
          "FIU_ENABLE=enable name=" + point + ",failinfo=" + std::to_string(error),
          std::string("LSAN_OPTIONS=print_suppressions=0:suppressions=") + QUILLON_LIBFIU_LEAKS};
}

using ReplaceFaults = FaultTest;

// Each step of replacing a file fails in turn (no stream, no space at the flush, the sync), and
// the listing (not started, broken off at once or after three entries). A setting that could
// not be stored still takes effect in this run: with the event information off, names come
// from file names. The next rebuild writes the list. Mends a fault: nothing said why the
// rebuild failed. Where a reason is given, quillon-host runs with the point enabled from its
// start, and standard error says why in one line.
TEST_F(ReplaceFaults, AFailedStepKeepsTheOldFileAndSaysWhyAndTheNextRebuildWritesIt) {
  eConfig& store = *eConfig::instance();
  ASSERT_EQ(0, store.setKey(kEitInfoKey, 1));
  const auto config = [this] { return testsupport::contents(root.root() / "config"); };
  const auto oldConfig = config();
  const std::string list = root.recordingsList().string() + ": cannot be written: ";
  const std::string movies = root.movieDirectory().string() + ": cannot be listed to its end: ";
  const struct {
    PointFault fault;
    bool replacing;
    std::string reason;
  } cases[] = {{{"posix/stdio/oc/fdopen", ENOMEM}, true, list + "Cannot allocate memory"},
               {{"posix/stdio/fflush", ENOSPC}, true, ""},
               {{"posix/io/sync/fsync", EIO}, true, list + "Input/output error"},
               {{"posix/io/dir/fdopendir", ENOMEM}, false, ""},
               {{"posix/io/dir/readdir", EIO}, false, movies + "Input/output error"},
               {{"posix/io/dir/readdir", EIO, 3}, false, ""}};
  for (const auto& [fault, replacing, reason] : cases) {
    SCOPED_TRACE(std::string(fault.point) + " after " + std::to_string(fault.callsFirst));
    {
      FailurePoint point(fault);
      EXPECT_EQ(0, rebuildRecordingsList(1));
      EXPECT_TRUE(!replacing || store.setKey(kEitInfoKey, 0) == -1) << "the setting was stored";
    }
    EXPECT_TRUE(replacing || DirMovieFile.empty());
    expectTheOldListUntouched();
    EXPECT_EQ(oldConfig, config());
    EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"));
    if (reason.empty()) continue;
    const HostRun run =
        runProgram(QUILLON_HOST_PATH,
                   {"--root", root.root().string(), "--keys", "exit down down ok ok exit exit"},
                   faultEnvironment(fault.point, fault.error));
    EXPECT_EQ(0, run.status) << run.errors;
    EXPECT_EQ("quillon-host: taking '" + root.root().string() +
                  "' as a receiver's whole root\nquillon-host: rebuild: " + reason + "\n",
              run.errors);
    expectTheOldListUntouched();
  }
  EXPECT_THAT(testsupport::names(root.root(), "."), ::testing::IsEmpty());
  EXPECT_EQ(1, rebuildRecordingsList(1));
  EXPECT_EQ(2u, eZapMain::instance()->recordings().size());
  EXPECT_EQ(1, reloads());
}

using ReadFaults = FaultTest;

// Mends a fault: the stream buffer's exception for a failed read left the host's reader and
// ended the process. (What is no regular file, or too large: untrusted_disk_test.cpp.) An event
// file that cannot be opened or read names its recording by the file name.
TEST_F(ReadFaults, WhatCannotBeReadReadsAsEmptyOrGivesTheFileName) {
  eConfig& store = *eConfig::instance();
  ASSERT_EQ(0, store.setKey(kEitInfoKey, 1));
  {
    FailurePoint point({"posix/io/oc/open", EACCES});
    EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"));
  }
  {
    FailurePoint point({"posix/io/rw/read", EIO});
    store.open(root.root() / "config");
    EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"));
    ASSERT_EQ(1, rebuildRecordingsList(1));  // and the host's reload reads the list as empty
  }
  EXPECT_TRUE(eZapMain::instance()->recordings().empty());
  int value = -1;
  EXPECT_EQ(-1, store.getKey(kEitInfoKey, value));
  EXPECT_TRUE(store.unreadable());
  EXPECT_THAT(*root.readRecordingsList(), ::testing::HasSubstr("\n#DESCRIPTION: b\n"));
  store.open(root.root() / "config");
  EXPECT_EQ("Tatort", getFileName("/hdd/movie/b.ts", "b.ts")) << "and once it reads again";
}

// Mends a fault: when the writer's buffer could not be allocated, the temporary file it had
// already created stayed. Each allocation on the way to an open file fails in turn.
TEST_F(ReplaceFaults, RunningOutOfMemoryLeavesNoTemporaryFile) {
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
