#include "display/job_control.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstddef>

#include "disk/receiver_fs.h"

namespace job_control {
namespace {

constexpr std::array kStopSignals = {SIGTSTP, SIGTTIN, SIGTTOU};

// What the handlers reach: set before they are installed, cleared after they are removed.
std::atomic<GiveBack> giveBackTerminal{nullptr};
std::atomic<int> continuedWriteEnd{-1};
std::atomic<bool> continued{false};
static_assert(std::atomic<GiveBack>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

// The action of the stop signals, which the handler puts back once the process goes on.
struct sigaction stopAction = {};
// The actions before, and whether each stop signal was taken over.
std::array<struct sigaction, kStopSignals.size()> previousStop = {};
std::array<bool, kStopSignals.size()> stopTakenOver = {};
struct sigaction previousContinue = {};

void stopAfterGivingBack(int signalNumber) {
  const disk::ErrnoGuard keep;
  if (const GiveBack giveBack = giveBackTerminal.load()) giveBack();
  // The signal is blocked while its handler runs: raised now, it waits, and unblocked, its
  // default action stops the process. Continued, the process goes on here.
  struct sigaction defaultAction = {};
  defaultAction.sa_handler = SIG_DFL;
  ::sigaction(signalNumber, &defaultAction, nullptr);
  ::raise(signalNumber);
  sigset_t only;
  ::sigemptyset(&only);
  ::sigaddset(&only, signalNumber);
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::sigaction(signalNumber, &stopAction, nullptr);
}

void noteContinued(int) {
  const disk::ErrnoGuard keep;
  continued.store(true);
  if (const int writeEnd = continuedWriteEnd.load(); writeEnd >= 0) {
    // A full pipe already says so.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, "c", 1);
  }
}

}  // namespace

Handlers::Handlers(GiveBack giveBack) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
  }
  giveBackTerminal.store(giveBack);
  continuedWriteEnd.store(writeEnd_);
  continued.store(false);

  stopAction.sa_handler = stopAfterGivingBack;
  ::sigemptyset(&stopAction.sa_mask);
  // A second stop signal waits; so does the SIGTTOU that giving the terminal back from the
  // background would raise (a blocked SIGTTOU lets the change of modes through).
  for (int each : kStopSignals) ::sigaddset(&stopAction.sa_mask, each);
  stopAction.sa_flags = SA_RESTART;
  for (std::size_t index = 0; index < kStopSignals.size(); ++index) {
    if (::sigaction(kStopSignals[index], nullptr, &previousStop[index]) != 0 ||
        previousStop[index].sa_handler == SIG_IGN)
      continue;
    stopTakenOver[index] = ::sigaction(kStopSignals[index], &stopAction, nullptr) == 0;
  }
  struct sigaction continueAction = {};
  continueAction.sa_handler = noteContinued;
  ::sigemptyset(&continueAction.sa_mask);
  continueAction.sa_flags = SA_RESTART;
  ::sigaction(SIGCONT, &continueAction, &previousContinue);
}

Handlers::~Handlers() {
  ::sigaction(SIGCONT, &previousContinue, nullptr);
  for (std::size_t index = 0; index < kStopSignals.size(); ++index) {
    if (stopTakenOver[index]) ::sigaction(kStopSignals[index], &previousStop[index], nullptr);
    stopTakenOver[index] = false;
  }
  continuedWriteEnd.store(-1);
  giveBackTerminal.store(nullptr);
  if (readEnd_ >= 0) ::close(readEnd_);
  if (writeEnd_ >= 0) ::close(writeEnd_);
}

bool Handlers::takeContinued() {
  char drained[64];
  if (readEnd_ >= 0) {
    while (::read(readEnd_, drained, sizeof drained) > 0) {
    }
  }
  return continued.exchange(false);
}

void Handlers::waitForForeground() const {
  constexpr std::size_t kTtou = 2;
  static_assert(kStopSignals[kTtou] == SIGTTOU);
  if (!stopTakenOver[kTtou]) return;
  for (pid_t foreground;
       (foreground = ::tcgetpgrp(STDIN_FILENO)) >= 0 && foreground != ::getpgrp();)
    ::raise(SIGTTOU);
}

}  // namespace job_control
