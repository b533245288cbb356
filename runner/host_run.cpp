#include "runner/host_run.h"

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include "host/econfig.h"
#include "host/ezapmain.h"
#include "host/gui/ewidget.h"
#include "host/receiver_fs.h"
#include "runner/headless.h"
#include "runner/plugin_loader.h"
#include "runner/recordings_report.h"
#ifdef QUILLON_TERMINAL_DISPLAY
#include "runner/terminal_display.h"
#endif

namespace {

namespace fs = std::filesystem;

// Fills in the defaults; a message when the paths cannot serve.
std::string completePaths(HostOptions& options) {
  if (!fs::is_directory(options.root)) {
    return "receiver root '" + options.root.string() + "' is not a directory";
  }
  if (options.config.empty()) {
    options.config = options.root / "etc" / "enigma" / "config";
    std::error_code ignored;
    fs::create_directories(options.config.parent_path(), ignored);
  }
  fs::path configDirectory = fs::absolute(options.config).parent_path();
  if (!fs::is_directory(configDirectory)) {
    return "the directory of configuration file '" + options.config.string() + "' does not exist";
  }
  return "";
}

// Runs the plug-in with `display` as screen and key source.
template <class Display>
int runPlugin(const LoadedPlugin& plugin, Display& display, std::ostream& errors) {
  eScreen::setActive(&display);
  eKeySource::setActive(&display);
  int status = 0;
  try {
    status = plugin.exec();
    display.refresh(currentScreenFrame());
  } catch (const eNoMoreKeys& ended) {
    errors << "quillon-host: the key script ended while " << ended.waiting()
           << " was waiting for a key\n";
    status = kExitKeysEnded;
  }
  eScreen::setActive(nullptr);
  eKeySource::setActive(nullptr);
  return status;
}

int runOnTerminal(const LoadedPlugin& plugin, std::ostream& errors) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    errors << "quillon-host: no terminal to draw on; give --keys to run headless\n";
    return kExitBadCommandLine;
  }
#ifdef QUILLON_TERMINAL_DISPLAY
  TerminalDisplay terminal;
  return runPlugin(plugin, terminal, errors);
#else
  static_cast<void>(plugin);
  errors << "quillon-host: this build has no terminal display (there was no ncurses for its "
            "CPU); give --keys to run headless\n";
  return kExitBadCommandLine;
#endif
}

}  // namespace

int runHost(HostOptions options, std::ostream& out, std::ostream& errors) {
  if (std::string problem = completePaths(options); !problem.empty()) {
    errors << "quillon-host: " << problem << '\n';
    return kExitBadCommandLine;
  }
  host::setReceiverRoot(options.root);
  eConfig::instance()->open(options.config);
  LoadedPlugin plugin(options.plugin);
  if (!plugin.isLoaded()) {
    errors << "quillon-host: " << plugin.error() << '\n';
    return kExitBadCommandLine;
  }
  eZapMain* host = eZapMain::instance();
  host->loadRecordings(false);

  int status = 0;
  if (options.keys) {
    host->onRecordingsLoaded([&out](const eZapMain& reloaded) { writeReloadLine(out, reloaded); });
    HeadlessDisplay headless(*options.keys, out);
    status = runPlugin(plugin, headless, errors);
    host->onRecordingsLoaded(nullptr);
  } else {
    status = runOnTerminal(plugin, errors);
  }
  if (status == kExitKeysEnded) return status;
  out << "plugin_exec returned " << status << '\n';
  writeRecordingsList(out, *host);
  return status;
}
