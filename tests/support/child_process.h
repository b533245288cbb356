// Runs a piece of the product in a child process, so that what the parent cannot undo (a setuid,
// a working directory removed, a mount namespace) or would not survive (a hang) stays there; the
// child's exit code reports.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace testsupport {

// The exit code of a child that runs `body` and exits with its result (0 to 255); 128 plus the
// signal's number when a signal ended it instead, SIGALRM when it still ran after
// `watchdogSeconds`.
inline int resultInChild(const std::function<int()>& body, unsigned watchdogSeconds = 60) {
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(watchdogSeconds);
    std::_Exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

}  // namespace testsupport
