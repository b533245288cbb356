// The terminal as the receiver's on-screen display and remote control (ncurses): widgets are
// drawn where the host places them on the 720 by 576 display, one character cell standing for
// 8 by 20 pixels, as display/screen_layout.h lays them out; the arrow keys, Enter and Escape (or
// q) are the remote control's keys. A terminal too small for the display says so and passes
// on only the exit key until it is resized.
#pragma once

#include <optional>

#include "display/job_control.h"
#include "host/gui/keysource.h"
#include "host/gui/screen.h"

class TerminalDisplay : public eScreen, public eKeySource {
 public:
  // The program's owner of the signals that end the process: it runs a registered clean-up
  // from its handler (the clean-up uses async-signal-safe calls only).
  struct EndingSignals {
    bool (*addCleanup)(void (*)() noexcept);
    void (*removeCleanup)(void (*)() noexcept);
  };
  // Takes over the terminal until destroyed; a signal that ends the process meanwhile restores
  // it, through `endingSignals`, and one that stops it gives it back until the process is
  // continued (display/job_control.h).
  explicit TerminalDisplay(EndingSignals endingSignals);
  TerminalDisplay(const TerminalDisplay&) = delete;
  TerminalDisplay& operator=(const TerminalDisplay&) = delete;
  ~TerminalDisplay() override;

  void shown(const eWidgetView&) override {}
  void hidden(const eWidgetView&) override {}
  void refresh(const eScreenFrame& frame) override;
  // Waits for a key the host knows; nullopt when the terminal can give no more.
  std::optional<eRCKey> nextKey() override;

 private:
  // Draws the last frame for the terminal's present size.
  void redraw();
  // Takes the terminal back once the process has been continued after a stop.
  void takeBackTerminal();
  // Waits until the terminal has input (true) or a signal came (false).
  bool waitForInput();

  EndingSignals endingSignals_;
  job_control::Handlers jobControl_;
  eScreenFrame lastFrame_;
  bool tooSmall_ = false;
};
