// Runs a piece of the product in a child process, so that what the parent cannot undo (a
// seccomp filter) or would not survive (a hang) stays there; the child's exit code reports.
#pragma once

#include <functional>

namespace reliability {

// The exit code of a child that runs `body` and exits with its result (0 to 255); 128 plus the
// signal's number when a signal ended it instead, SIGALRM when it still ran after
// `watchdogSeconds`.
int resultInChild(const std::function<int()>& body, unsigned watchdogSeconds = 60);

}  // namespace reliability
