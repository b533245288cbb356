// The one owner of the signals that end quillon-host. SIGINT, SIGTERM, SIGHUP and SIGQUIT run
// the clean-ups registered here (a temporary file removed, the terminal restored), then end the
// process by the same signal, so that its parent sees how it ended (a shell reports 130 for
// Ctrl-C, 143 for SIGTERM, 131 for Ctrl-\, which may leave a core dump as SIGQUIT does).
// Installed before ncurses starts, which then leaves these signals alone (it catches them only
// where they still have their default action). The signals that stop the process are the
// terminal display's (display/job_control.h).
#pragma once

namespace signal_exit {

// A clean-up run from the signal handler: it may use async-signal-safe calls only.
using Cleanup = void (*)() noexcept;

// Installs the handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT, except for a signal that was
// ignored when the program started (it stays ignored). Idempotent.
void install();

// Registers `cleanup`; clean-ups run last registered first. At most kMaxCleanups are held;
// returns false when that many are registered already.
inline constexpr int kMaxCleanups = 8;
bool addCleanup(Cleanup cleanup);
// Unregisters `cleanup`; unknown clean-ups are ignored.
void removeCleanup(Cleanup cleanup);

}  // namespace signal_exit
