// quillon-host: plays the receiver for the Quillon plug-in, on the terminal or headless.
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "host/temporary_files.h"
#include "runner/command_line.h"
#include "runner/host_run.h"
#include "runner/message_catalogue.h"
#include "runner/signal_exit.h"
#include "runner/terminal_escape.h"

int main(int argc, char** argv) {
  auto parsed = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (auto* error = std::get_if<CommandLineError>(&parsed)) {
    std::cerr << "quillon-host: " << escapeForTerminal(error->message)
              << "\nTry 'quillon-host --help'.\n";
    return kExitBadCommandLine;
  }
  HostOptions& options = std::get<HostOptions>(parsed);
  if (options.help) {
    std::cout << usageText();
    return 0;
  }
  // Before anything is written or ncurses starts: an ending signal removes the temporary file
  // being written, then ends the program by that signal.
  signal_exit::install();
  signal_exit::addCleanup(host::removeTemporaryFiles);
  setUpMessageCatalogue(QUILLON_LOCALE_DIR);
  return runHost(std::move(options), std::cout, std::cerr);
}
