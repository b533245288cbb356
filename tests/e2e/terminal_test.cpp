// quillon-host in a real terminal: tmux runs it in a pane of a chosen size, as the job of an
// interactive shell, and what the pane shows is read back with capture-pane. The frame must stay
// whole at any size the display accepts, a resize must lay it out anew, a signal must end it with
// the terminal restored, and a stop must give the terminal back to the shell and `fg` take it
// again, every key working.
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "display/screen_layout.h"
#include "display/text_wrap.h"
#include "fixtures/receiver_builder.h"
#include "tests/support/host_process.h"

namespace {

const std::string kTmux = QUILLON_TMUX_PATH;
const std::string kHost = QUILLON_HOST_PATH;

// A detached tmux server of its own, with one pane of tmux's default size, 80x24: an interactive
// shell with job control, in which the test has typed the command that runs quillon-host on `root`,
// as a user would.
class TerminalPane {
 public:
  TerminalPane(const fixtures::ReceiverRoot& root, const std::string& language)
      : socket_((root.root() / "tmux.socket").string()), report_(root.root() / "exit-status") {
    tmux({"new-session", "-d", "-s", "quillon", "bash", "--norc", "--noprofile", "-i"},
         {"LC_ALL=C.UTF-8", "PS1=$ ", "HISTFILE="});
    // quillon-host as the shell's job, in `language` (the shell's own messages stay in English),
    // its process id noted, leaving no core dump (as Ctrl-\ would); the status is asked for at
    // the end.
    type("ulimit -c 0; LANGUAGE=" + language + " /bin/sh -c 'echo $$ >" + report_.string() +
         ".pid; exec " + kHost + " --root " + root.root().string() + "'");
  }
  ~TerminalPane() { tmux({"kill-server"}); }

  // The pane's lines as shown.
  std::vector<std::string> screen() {
    std::istringstream text(tmux({"capture-pane", "-p", "-t", "quillon"}));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }
  void press(const std::string& key) { tmux({"send-keys", "-t", "quillon", key}); }
  // Types a line into the pane, as a user would, and ends it with Enter.
  void type(const std::string& line) {
    tmux({"send-keys", "-t", "quillon", "-l", line});
    press("Enter");
  }
  void resize(TerminalSize size) {
    tmux({"resize-window", "-t", "quillon", "-x", std::to_string(size.columns), "-y",
          std::to_string(size.lines)});
  }
  // The status the shell shows for quillon-host, asked for once it has ended; empty if it
  // does not end.
  std::string exitStatus() {
    const pid_t program = programId();
    if (program <= 0 || !waitUntil([program] { return ::kill(program, 0) != 0; })) return "";
    type("echo $? >" + report_.string());
    std::string status;
    waitUntil([&] { return static_cast<bool>(std::ifstream(report_) >> status); });
    return status;
  }
  // The process id of quillon-host; 0 until it has started.
  pid_t programId() const {
    pid_t program = 0;
    std::ifstream(report_.string() + ".pid") >> program;
    return program;
  }
  // The pane's alternate screen, keypad and cursor modes, as "1 1 0\n" (1 for on).
  std::string modes() {
    return tmux({"display-message", "-p", "-t", "quillon",
                 "#{alternate_on} #{keypad_cursor_flag} #{cursor_flag}"});
  }
  // Waits up to ten seconds for `holds`, asking again every 50 ms.
  bool waitUntil(const std::function<bool()>& holds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!holds()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
  }

 private:
  std::string tmux(std::vector<std::string> arguments, std::vector<std::string> environment = {}) {
    arguments.insert(arguments.begin(), {"-u", "-S", socket_, "-f", "/dev/null"});
    return runProgram(kTmux, arguments, environment).out;
  }

  std::string socket_;
  std::filesystem::path report_;
};

// What is wrong with the frame of the box on `screen`: every line from its top-right corner
// down to its bottom-right one must end, blanks aside, in its border at the corner's column.
std::string frameFault(const std::vector<std::string>& screen) {
  const auto top = std::ranges::find_if(
      screen, [](const std::string& line) { return line.find("┌") != std::string::npos; });
  if (top == screen.end()) return "no box on the screen";
  const int right = terminalColumns(top->substr(0, top->find("┐")));
  for (auto line = top; line != screen.end(); ++line) {
    const std::string text = line->substr(0, line->find_last_not_of(' ') + 1);
    const bool border = line == top
                            ? text.ends_with("┐")
                            : text.ends_with("│") || text.ends_with("┤") || text.ends_with("┘");
    if (!border || terminalColumns(text) != right + 1) return "line: " + *line;
    if (text.ends_with("┘")) return "";
  }
  return "the box has no bottom";
}

bool shows(const std::vector<std::string>& screen, const std::string& text) {
  return std::ranges::any_of(
      screen, [&text](const std::string& line) { return line.find(text) != std::string::npos; });
}

// In both languages the help line of the event-information row is wider than the window; it
// used to run over the right-hand border. Mends two faults more: Ctrl-Z, then `fg`, left keypad
// mode off, so that the first arrow key came as ESC [ A, was read as Escape and closed the
// window; and Ctrl-\ (SIGQUIT) ended the program with the terminal as ncurses had it. A stop
// gives the terminal back to the shell where it can (SIGSTOP cannot be caught); `fg` brings the
// display back, at the terminal's size of then, with every key reading as itself. Each run is
// ended by a signal of its own, and the terminal is given back.
TEST(RealTerminal, TheFrameStaysWholeAtEverySizeAStopComesBackAndASignalEndsIt) {
  const std::string unavailable = QUILLON_TERMINAL_UNAVAILABLE;
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  const struct {
    std::string language;
    std::string help;      // the last word of the wrapped help line
    std::string tooSmall;  // the start of the notice of a terminal too small
    const char* end;       // the keys that end the run; SIGTERM when empty
    const char* status;    // as the shell shows it
    bool stops;            // stopped and brought back twice before it ends
  } cases[] = {{"en", "name", "Terminal too small: 30x10,", "C-c", "130", false},
               {"de", "EIT-Datei zu nehmen", "Terminal zu klein: 30x10,", "", "143", false},
               {"en", "name", "Terminal too small: 30x10,", "C-\\", "131", true}};
  for (const auto& each : cases) {
    SCOPED_TRACE(each.language + " " + each.status);
    const fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
    TerminalPane pane(root, each.language);
    ASSERT_TRUE(pane.waitUntil([&] { return frameFault(pane.screen()).empty(); }))
        << frameFault(pane.screen());
    pane.press("Escape");
    pane.press("Down");
    const auto helpShownWhole = [&] {
      const std::vector<std::string> screen = pane.screen();
      return shows(screen, "│ " + each.help + " ") && frameFault(screen).empty();
    };
    EXPECT_TRUE(pane.waitUntil(helpShownWhole)) << frameFault(pane.screen());
    const pid_t program = pane.programId();
    ASSERT_GT(program, 0);

    pane.resize({60, 16});
    EXPECT_TRUE(pane.waitUntil([&] { return pane.screen().size() == 16 && helpShownWhole(); }))
        << frameFault(pane.screen());

    // Too small: the display says so, and ok (which would clear the mark) does nothing.
    pane.resize({30, 10});
    EXPECT_TRUE(pane.waitUntil([&] { return shows(pane.screen(), each.tooSmall); }));
    EXPECT_FALSE(shows(pane.screen(), "┌"));
    pane.press("Enter");
    pane.resize({80, 24});
    EXPECT_TRUE(pane.waitUntil(helpShownWhole)) << frameFault(pane.screen());
    EXPECT_TRUE(shows(pane.screen(), "[x] "));

    for (const bool ctrlZ : {true, false}) {  // else SIGSTOP from elsewhere
      if (!each.stops) break;
      SCOPED_TRACE(ctrlZ ? "Ctrl-Z" : "SIGSTOP");
      if (ctrlZ) {
        pane.press("C-z");
        // Given back before the stop: the ordinary screen, the keypad's normal keys, the cursor.
        EXPECT_TRUE(pane.waitUntil([&] { return shows(pane.screen(), "Stopped"); }));
        EXPECT_EQ("0 0 1\n", pane.modes());
      } else {
        ASSERT_EQ(0, ::kill(program, SIGSTOP));
        EXPECT_TRUE(pane.waitUntil([&] { return shows(pane.screen(), "Stopped"); }));
      }
      // No SIGWINCH reaches a stopped program: it must measure the terminal when it goes on.
      pane.resize({60, 16});
      pane.type("fg");
      EXPECT_TRUE(pane.waitUntil([&] {
        return pane.screen().size() == 16 && helpShownWhole() && pane.modes().starts_with("1 1 ");
      })) << frameFault(pane.screen());
      pane.press("Up");
      EXPECT_TRUE(pane.waitUntil([&] {
        const std::vector<std::string> screen = pane.screen();
        return !shows(screen, "│ " + each.help + " ") && frameFault(screen).empty();
      })) << frameFault(pane.screen());
      pane.press("Down");
      EXPECT_TRUE(pane.waitUntil(helpShownWhole)) << frameFault(pane.screen());
      pane.resize({80, 24});
    }

    if (*each.end != '\0') {
      pane.press(each.end);
    } else {
      ASSERT_EQ(0, ::kill(program, SIGTERM));
    }
    EXPECT_EQ(each.status, pane.exitStatus());
    EXPECT_EQ("0 0 1\n", pane.modes());
    // After a SIGSTOP, which leaves the display up for the shell to write over, what tmux keeps
    // of the ordinary screen is its own: the modes above tell that the terminal was given back.
    if (!each.stops) {
      EXPECT_FALSE(shows(pane.screen(), "┌"));
    }
  }
}

}  // namespace
