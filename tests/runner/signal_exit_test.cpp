// How SIGINT, SIGTERM, SIGHUP and SIGQUIT end quillon-host: the clean-ups run, last registered
// first, and the process ends by the signal itself, as its parent (a shell) expects.
#include "runner/signal_exit.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

int reportFd = -1;

// A clean-up that reports `name`.
template <char name>
void report() noexcept {
  static constexpr char kName = name;
  ::write(reportFd, &kName, 1);
}

struct Ending {
  int signal = 0;  // 0: the child exited normally
  std::string cleanups;
};

// Runs a child that registers the clean-ups and sends itself `signalNumber`; with
// `ignoredAtStart`, the signal is ignored before the handlers are installed, as a shell does
// for a background job.
Ending endChildBy(int signalNumber, bool ignoredAtStart = false) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    reportFd = pipeFds[1];
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
  ::close(pipeFds[1]);
  Ending ending;
  char buffer[16];
  for (ssize_t count; (count = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    ending.cleanups.append(buffer, static_cast<std::size_t>(count));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFSIGNALED(status)) ending.signal = WTERMSIG(status);
  return ending;
}

// A signal ignored at start (as a shell does for a background job) stays ignored: no clean-up
// runs and the child exits normally.
TEST(SignalExit, CleanupsRunLastFirstAndTheSignalEndsTheProcess) {
  for (const bool ignoredAtStart : {false, true}) {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
      const Ending ending = endChildBy(signalNumber, ignoredAtStart);
      EXPECT_EQ(ignoredAtStart ? 0 : signalNumber, ending.signal) << strsignal(signalNumber);
      EXPECT_EQ(ignoredAtStart ? "" : "21", ending.cleanups)
          << strsignal(signalNumber) << (ignoredAtStart ? ", ignored at start" : "");
    }
  }
}

}  // namespace
