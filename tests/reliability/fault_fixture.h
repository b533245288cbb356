// Failing a call in this process through libfiu; a receiver root with a list from an earlier
// rebuild and two recordings, one named by its event file; the faults that replacing a file
// meets; and the outcome every failed rebuild must have: the old list byte for byte, no
// temporary file beside it, no reload requested.
#pragma once

#include <fiu-control.h>
#include <fiu.h>
#include <gmock/gmock.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/reliability/replaced_files.h"
#include "tests/support/files.h"
#include "tests/support/receiver_fixture.h"

namespace reliability {

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
