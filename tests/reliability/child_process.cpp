#include "tests/reliability/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace reliability {

int resultInChild(const std::function<int()>& body, unsigned watchdogSeconds) {
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    ::alarm(watchdogSeconds);
    std::_Exit(body());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return -1;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

}  // namespace reliability
