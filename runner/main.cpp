// quillon-host: plays the receiver for the Quillon plug-in, on the terminal or headless.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "disk/replaced_file.h"
#include "display/terminal_escape.h"
#include "runner/command_line.h"
#include "runner/host_run.h"
#include "runner/install_paths.h"
#include "runner/message_catalogue.h"
#include "runner/signal_exit.h"

int main(int argc, char** argv) {
  // Before anything that holds a resource a signal must give back: the terminal, a temporary file.
  signal_exit::install();
  signal_exit::addCleanup(disk::removeTemporaryFiles);
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
  if (options.version) {
    std::cout << versionText();
    return 0;
  }
  if (!canShowAnything(options, std::cerr)) return kExitBadCommandLine;
  std::error_code unknown;
  const std::filesystem::path programPlace = programDirectory(unknown);
  if (unknown) {
    std::cerr << "quillon-host: cannot tell where this program lies, so its plug-in and files "
                 "cannot be found: "
              << unknown.message() << '\n';
    return kExitBadCommandLine;
  }
  const HostFiles files = locateHostFiles(programPlace);
  if (options.plugin.empty()) options.plugin = files.plugin;
  if (options.root.empty()) {
    std::optional<std::filesystem::path> demoDisk = demoDiskRoot(files, std::cerr);
    if (!demoDisk) return kExitBadCommandLine;
    options.root = *demoDisk;
  }
  setUpMessageCatalogue(files.localeDirectory);
  return runHost(std::move(options), std::cout, std::cerr);
}
