// Fails a POSIX call in this process through libfiu: the test runs with libfiu's POSIX preload
// (fiu-run -x), whose wrappers fail a call while its failure point is enabled, setting errno
// as the real call would. Names as in libfiu's list, e.g. "posix/io/sync/fsync".
#pragma once

namespace reliability {

// Whether libfiu's POSIX wrappers are in this process; without them nothing can be failed.
bool failurePointsAvailable();

// Enables the failure point `name` while it lives: every call fails with `error`, or, with
// `callsFirst`, only the calls after the first `callsFirst` that it lets through.
class FailurePoint {
 public:
  FailurePoint(const char* name, int error, int callsFirst = 0);
  FailurePoint(const FailurePoint&) = delete;
  FailurePoint& operator=(const FailurePoint&) = delete;
  ~FailurePoint();

 private:
  const char* name_;
};

}  // namespace reliability
