// quillon-host: plays the receiver for the Quillon plug-in, on the terminal or headless.
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "runner/command_line.h"
#include "runner/host_run.h"
#include "runner/message_catalogue.h"
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
  setUpMessageCatalogue(QUILLON_LOCALE_DIR);
  return runHost(std::move(options), std::cout, std::cerr);
}
