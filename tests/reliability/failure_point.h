// Fails a POSIX call in this process through libfiu: the test runs with libfiu's POSIX preload
// (fiu-run -x), whose wrappers fail a call while its failure point is enabled, setting errno
// as the real call would. Names as in libfiu's list, e.g. "posix/io/sync/fsync".
#pragma once

#include <fiu-control.h>
#include <fiu.h>

#include <cstdint>

namespace reliability {

// A failure point, the errno its calls fail with, and how many calls it lets through first.
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

}  // namespace reliability
