#include "runner/host_run.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "host/econfig.h"
#include "host/ezapmain.h"
#include "host/gui/active_display.h"
#include "host/gui/ewidget.h"
#include "host/receiver_fs.h"
#include "runner/headless.h"
#include "runner/plugin_loader.h"
#include "runner/recordings_report.h"
#ifdef QUILLON_TERMINAL_DISPLAY
#include "runner/terminal_display.h"
#endif
#include "runner/terminal_escape.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kReceiverConfig = "/etc/enigma/config";

// "'PATH'", escaped for the terminal.
std::string quoted(const fs::path& path) {
  return "'" + escapeForTerminal(path.native()) + "'";
}

// `path` made absolute, so that it means the same whatever the process does later; a message
// when it cannot be (the working directory is gone).
std::string makeAbsolute(fs::path& path, std::string_view what) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) return std::string(what) + " " + quoted(path) + " cannot be used: " + error.message();
  path = std::move(absolute);
  return "";
}

// A message when `directory` is not a directory that can be used: `subject` names it, and
// `missing` says what is wrong when it is not there.
std::string checkDirectory(const fs::path& directory, const std::string& subject,
                           std::string_view missing) {
  std::error_code error;
  const bool isDirectory = fs::is_directory(directory, error);
  if (error && error != std::errc::no_such_file_or_directory) {
    return subject + " cannot be used: " + error.message();
  }
  if (!isDirectory) return subject + " " + std::string(missing);
  return "";
}

// Fills in the defaults; a message when the paths cannot serve.
std::string completePaths(HostOptions& options) {
  if (std::string problem = makeAbsolute(options.root, "receiver root"); !problem.empty())
    return problem;
  std::string problem =
      checkDirectory(options.root, "receiver root " + quoted(options.root), "is not a directory");
  if (!problem.empty() || options.config.empty()) return problem;
  if (problem = makeAbsolute(options.config, "configuration file"); !problem.empty())
    return problem;
  return checkDirectory(options.config.parent_path(),
                        "the directory of configuration file " + quoted(options.config),
                        "does not exist");
}

// Opens the configuration store: the file given, or the receiver's own under the root, whose
// directories are made where they are missing. A file that exists but cannot be read is
// reported; the store then keeps its settings for this run only.
void openConfiguration(const HostOptions& options, std::ostream& errors) {
  eConfig& store = *eConfig::instance();
  if (options.config.empty()) {
    const std::string_view directory = kReceiverConfig.substr(0, kReceiverConfig.rfind('/'));
    host::createDirectories(host::receiverRoot(), directory);
    store.openOnReceiver(std::string(kReceiverConfig));
  } else {
    store.open(options.config);
  }
  if (!store.unreadable()) return;
  const fs::path shown = options.config.empty()
                             ? options.root / fs::path(kReceiverConfig).relative_path()
                             : options.config;
  errors << "quillon-host: configuration file " << quoted(shown)
         << " cannot be read: " << std::strerror(store.readError())
         << "; settings changed in this run are not written to it\n";
}

// Runs the plug-in with `display` as screen and key source.
template <class Display>
int runPlugin(const LoadedPlugin& plugin, Display& display, std::ostream& errors) {
  const eActiveDisplay active(display);
  try {
    const int status = plugin.exec();
    display.refresh(currentScreenFrame());
    return status;
  } catch (const eNoMoreKeys& ended) {
    errors << "quillon-host: the key script ended while " << ended.waiting()
           << " was waiting for a key\n";
    return kExitKeysEnded;
  }
}

bool hasTerminal() {
  return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
}

int runOnTerminal(const LoadedPlugin& plugin, std::ostream& errors) {
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

bool canShowAnything(const HostOptions& options, std::ostream& errors) {
  if (options.keys || hasTerminal()) return true;
  errors << "quillon-host: no terminal to draw on; give --keys to run headless\n";
  return false;
}

int runHost(HostOptions options, std::ostream& out, std::ostream& errors) {
  if (!canShowAnything(options, errors)) return kExitBadCommandLine;
  if (std::string problem = completePaths(options); !problem.empty()) {
    errors << "quillon-host: " << problem << '\n';
    return kExitBadCommandLine;
  }
  host::setReceiverRoot(options.root);
  if (!host::receiverRoot().isOpen()) {
    errors << "quillon-host: receiver root " << quoted(options.root)
           << " cannot be opened: " << std::strerror(errno) << '\n';
    return kExitBadCommandLine;
  }
  openConfiguration(options, errors);
  LoadedPlugin plugin(options.plugin);
  if (!plugin.isLoaded()) {
    errors << "quillon-host: " << escapeForTerminal(plugin.error()) << '\n';
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
