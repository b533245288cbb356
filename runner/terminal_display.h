// The terminal as the receiver's on-screen display and remote control (ncurses): widgets are
// drawn where the host places them on the 720 by 576 display, one character cell standing for
// 8 by 20 pixels, as runner/screen_layout.h lays them out; the arrow keys, Enter and Escape (or
// q) are the remote control's keys. A terminal too small for the display says so and passes
// on only the exit key until it is resized.
#pragma once

#include <optional>

#include "host/gui/keysource.h"
#include "host/gui/screen.h"
#include "runner/job_control.h"

class TerminalDisplay : public eScreen, public eKeySource {
 public:
  // Takes over the terminal until destroyed; a signal that ends the process meanwhile (see
  // runner/signal_exit.h, installed first) restores it, and one that stops it gives it back
  // until the process is continued (runner/job_control.h).
  TerminalDisplay();
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

  job_control::Handlers jobControl_;
  eScreenFrame lastFrame_;
  bool tooSmall_ = false;
};
