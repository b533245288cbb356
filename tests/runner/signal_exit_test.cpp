// How SIGINT, SIGTERM, SIGHUP and SIGQUIT end quillon-host: the clean-ups run, last registered
// first, and the process ends by the signal itself, as its parent (a shell) expects.
#include "runner/signal_exit.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Where the child's clean-ups write their names, in memory its parent shares.
char* reports = nullptr;

// A clean-up that reports `name`.
template <char name>
void report() noexcept {
  *std::strchr(reports, '\0') = name;
}

// In a child that registers the clean-ups and sends itself each signal: they run, and the child
// ends by that signal. One ignored at start (as a shell does for a background job) stays ignored:
// no clean-up runs and the child exits normally.
TEST(SignalExit, CleanupsRunLastFirstAndTheSignalEndsTheProcess) {
  constexpr std::size_t kShared = 16;
  reports = static_cast<char*>(
      ::mmap(nullptr, kShared, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(MAP_FAILED, reports);
  for (const bool ignoredAtStart : {false, true}) {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
      std::memset(reports, 0, kShared);
      const pid_t child = ::fork();
      if (child == 0) {
        const rlimit noCoreDump = {0, 0};  // SIGQUIT's default action would write one
        ::setrlimit(RLIMIT_CORE, &noCoreDump);
        if (ignoredAtStart) ::signal(signalNumber, SIG_IGN);
        signal_exit::install();
        signal_exit::addCleanup(report<'1'>);
        signal_exit::addCleanup(report<'x'>);
        signal_exit::addCleanup(report<'2'>);
        signal_exit::removeCleanup(report<'x'>);
        ::raise(signalNumber);
        std::_Exit(0);
      }
      int status = 0;
      ASSERT_EQ(child, ::waitpid(child, &status, 0));
      SCOPED_TRACE(strsignal(signalNumber) + std::string(ignoredAtStart ? ", ignored" : ""));
      EXPECT_EQ(ignoredAtStart ? 0 : signalNumber,
                WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
      EXPECT_EQ(ignoredAtStart ? "" : "21", std::string(reports));
    }
  }
  ::munmap(reports, kShared);
}

}  // namespace
