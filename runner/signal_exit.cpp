#include "runner/signal_exit.h"

#include <signal.h>

#include <array>
#include <atomic>

namespace signal_exit {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Lock-free slots, so that the handler reads a consistent set whenever it runs.
std::array<std::atomic<Cleanup>, kMaxCleanups> cleanups{};
static_assert(std::atomic<Cleanup>::is_always_lock_free);

void endBySignal(int signalNumber) {
  for (auto slot = cleanups.rbegin(); slot != cleanups.rend(); ++slot) {
    if (Cleanup cleanup = slot->load()) cleanup();
  }
  // The default action, now unblocked, ends the process as the signal would have.
  ::signal(signalNumber, SIG_DFL);
  sigset_t only;
  ::sigemptyset(&only);
  ::sigaddset(&only, signalNumber);
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signalNumber);
}

}  // namespace

void install() {
  struct sigaction action = {};
  action.sa_handler = endBySignal;
  ::sigemptyset(&action.sa_mask);
  // A second signal while the clean-ups run waits for them.
  for (int each : kSignals) ::sigaddset(&action.sa_mask, each);
  for (int each : kSignals) {
    // A signal ignored by whoever started the program (a shell's background job ignores
    // SIGINT) stays ignored, as the user expects.
    struct sigaction current = {};
    if (::sigaction(each, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    ::sigaction(each, &action, nullptr);
  }
}

bool addCleanup(Cleanup cleanup) {
  for (auto& slot : cleanups) {
    Cleanup empty = nullptr;
    if (slot.compare_exchange_strong(empty, cleanup)) return true;
  }
  return false;
}

void removeCleanup(Cleanup cleanup) {
  for (auto& slot : cleanups) {
    Cleanup expected = cleanup;
    slot.compare_exchange_strong(expected, nullptr);
  }
}

}  // namespace signal_exit
