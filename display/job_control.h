// Job control for the program that owns the terminal. Ctrl-Z (SIGTSTP), and SIGTTIN and SIGTTOU
// (sent to a program in the background that touches the terminal), give the terminal back and
// then stop the process, as their default action would; SIGCONT, after any stop (SIGSTOP, which
// cannot be caught, included), wakes the key loop, which takes the terminal back and draws it
// anew. The handlers do async-signal-safe work only; the taking back happens in the key loop.
// Installed before ncurses starts, which then leaves SIGTSTP alone (it catches it only where it
// still has its default action, and never gives the keypad back after a stop).
#pragma once

namespace job_control {

// Gives the terminal back, from a signal handler: it may use async-signal-safe calls only.
using GiveBack = void (*)() noexcept;

// The handlers, installed while the object lives; one object at a time. A stop signal ignored
// when the object is made (a shell without job control ignores them) stays ignored.
class Handlers {
 public:
  explicit Handlers(GiveBack giveBack);
  Handlers(const Handlers&) = delete;
  Handlers& operator=(const Handlers&) = delete;
  // Puts back the actions the signals had before.
  ~Handlers();

  // A descriptor that becomes readable when the process is continued, to wait on beside the
  // terminal's; -1 when none could be made (a wait then ends by the signal alone).
  int continuedDescriptor() const { return readEnd_; }
  // Whether the process was continued since the last call; empties the descriptor.
  bool takeContinued();
  // Continued in the background (by `bg`), stops the process as SIGTTOU does, until a shell
  // brings it to the foreground, so that nothing is written to the shell's screen meanwhile.
  // Returns at once in the foreground, or where SIGTTOU is ignored.
  void waitForForeground() const;

 private:
  int readEnd_ = -1;
  int writeEnd_ = -1;
};

}  // namespace job_control
