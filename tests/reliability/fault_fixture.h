// A receiver root with a list from an earlier rebuild and two recordings, one named by its
// event file; the faults that replacing a file meets; and the outcome every failed rebuild must
// have: the old list byte for byte, no temporary file beside it, no reload requested.
#pragma once

#include <asm/unistd.h>
#include <fcntl.h>
#include <gmock/gmock.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/reliability/failure_point.h"
#include "tests/reliability/replaced_files.h"
#include "tests/reliability/syscall_fault.h"
#include "tests/support/files.h"
#include "tests/support/receiver_fixture.h"

namespace reliability {

// The calls that libfiu cannot wrap (the C library's internal ones, and the *at calls): the
// kernel fails those, as a full disk does. The temporary file cannot be created, a write finds
// no space, the rename needs a block the directory cannot get.
inline constexpr SyscallFault kNoSpaceFaults[] = {
    {__NR_openat, ENOSPC, SyscallFault::When::HasBits, 2, O_CREAT},
    {__NR_write, ENOSPC, SyscallFault::When::Above, 0, 2},
    {__NR_renameat, ENOSPC, SyscallFault::When::Above, 0, 2}};

// Each library call that replacing a file makes failing: no stream, no space, the sync.
inline constexpr PointFault kReplaceFaults[] = {{"posix/stdio/oc/fdopen", ENOMEM},
                                                {"posix/stdio/fflush", ENOSPC},
                                                {"posix/io/sync/fsync", EIO}};

class FaultTest : public ReceiverTest {
 protected:
  void SetUp() override {
    ReceiverTest::SetUp();
    const char* preload = std::getenv("LD_PRELOAD");
    ASSERT_TRUE(preload && std::strstr(preload, "fiu_posix_preload")) << "run under fiu-run -x";
    root.file("recordings.epl", kOldList);
    root.recording("a.ts", 100);
    root.recording(
        "b.ts", 200,
        fixtures::EventBuilder().shortEvent("deu", fixtures::dvbText("Tatort"), {}).bytes());
  }

  void expectTheOldListUntouched() const {
    EXPECT_EQ(kOldList, root.readRecordingsList());
    EXPECT_THAT(testsupport::names(root.movieDirectory(), "."), ::testing::IsEmpty());
    EXPECT_EQ(0, reloads());
  }
};

}  // namespace reliability
