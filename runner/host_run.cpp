#include "runner/host_run.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <system_error>

#include "disk/file_failure.h"
#include "disk/receiver_fs.h"
#include "display/headless.h"
#include "host/econfig.h"
#include "host/ezapmain.h"
#include "host/gui/active_display.h"
#include "host/gui/ewidget.h"
#include "host/receiver_paths.h"
#include "runner/failure_line.h"
#include "runner/plugin_loader.h"
#include "runner/rebuild_operator.h"
#include "runner/receiver_disk.h"
#include "runner/recordings_report.h"
#ifdef QUILLON_TERMINAL_DISPLAY
#include "display/terminal_display.h"
#include "runner/signal_exit.h"
#endif
#include "display/terminal_escape.h"

namespace {

namespace fs = std::filesystem;

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

// What stands in the way of using `directory`.
struct DirectoryProblem {
  enum class Kind { none, missing, notADirectory, unusable } kind = Kind::none;
  std::string reason;  // why it cannot be used
};

DirectoryProblem directoryProblem(const fs::path& directory) {
  std::error_code error;
  const fs::file_status status = fs::status(directory, error);
  if (error == std::errc::no_such_file_or_directory) return {DirectoryProblem::Kind::missing, ""};
  if (error) return {DirectoryProblem::Kind::unusable, error.message()};
  if (!fs::is_directory(status)) return {DirectoryProblem::Kind::notADirectory, ""};
  return {};
}

// A message when the receiver root cannot serve.
std::string checkRoot(const fs::path& root) {
  const DirectoryProblem problem = directoryProblem(root);
  const std::string subject = "receiver root " + quoted(root);
  switch (problem.kind) {
    case DirectoryProblem::Kind::missing:
    case DirectoryProblem::Kind::notADirectory:
      return subject + " is not a directory";
    case DirectoryProblem::Kind::unusable:
      return subject + " cannot be used: " + problem.reason;
    case DirectoryProblem::Kind::none:
      break;
  }
  return "";
}

// A message when the configuration file's directory cannot serve, naming what is wrong.
std::string checkConfigurationDirectory(const fs::path& config) {
  const DirectoryProblem problem = directoryProblem(config.parent_path());
  const std::string subject = "the directory of configuration file " + quoted(config);
  switch (problem.kind) {
    case DirectoryProblem::Kind::missing:
      return subject + " does not exist";
    case DirectoryProblem::Kind::notADirectory:
      return "configuration file " + quoted(config) +
             " cannot be used: " + quoted(config.parent_path()) + " is not a directory";
    case DirectoryProblem::Kind::unusable:
      return subject + " cannot be used: " + problem.reason;
    case DirectoryProblem::Kind::none:
      break;
  }
  return "";
}

// Fills in the defaults; a message when the paths cannot serve.
std::string completePaths(HostOptions& options) {
  if (std::string problem = makeAbsolute(options.root, "receiver root"); !problem.empty())
    return problem;
  std::string problem = checkRoot(options.root);
  if (!problem.empty() || options.config.empty()) return problem;
  if (problem = makeAbsolute(options.config, "configuration file"); !problem.empty())
    return problem;
  return checkConfigurationDirectory(options.config);
}

// Opens the configuration store: the file given; for a whole root, the receiver's own under
// it; for a hard disk, which holds no receiver settings, the user's. The directories of either
// are made only when a setting is first written. A file that exists but cannot be read is
// reported; the store then keeps its settings for this run only.
void openConfiguration(const HostOptions& options, DiskShape shape, std::ostream& errors) {
  eConfig& store = *eConfig::instance();
  fs::path shown = options.config;
  if (!options.config.empty()) {
    store.open(options.config);
  } else if (shape == DiskShape::wholeRoot) {
    store.openOnReceiver(std::string(kReceiverConfig));
    store.createDirectoriesOnWrite(0755);
    shown = options.root / fs::path(kReceiverConfig).relative_path();
  } else if (std::optional<fs::path> file = userConfigFile()) {
    store.open(*file);
    store.createDirectoriesOnWrite(0700);
    shown = std::move(*file);
  } else {
    errors << "quillon-host: no home directory to keep settings in (XDG_CONFIG_HOME and HOME are "
              "not set, and the password database names none); settings changed in this run "
              "are kept for this run only\n";
    return;
  }
  if (!store.unreadable()) return;
  errors << "quillon-host: configuration file " << quoted(shown)
         << " cannot be read: " << std::strerror(store.readError())
         << "; settings changed in this run are not written to it\n";
}

// Makes `root` the receiver's in the shape it has, and says which; nullopt, with the reason in
// `errors`, when it cannot be opened or has neither shape.
std::optional<DiskShape> takeReceiverDisk(const fs::path& root, std::ostream& errors) {
  disk::setReceiverRoot(root);
  if (!disk::receiverRoot().isOpen()) {
    errors << "quillon-host: receiver root " << quoted(root)
           << " cannot be opened: " << std::strerror(errno) << '\n';
    return std::nullopt;
  }
  const std::optional<DiskShape> shape = diskShape(root);
  if (!shape) {
    errors << "quillon-host: " << noShape(root) << '\n';
    return std::nullopt;
  }
  if (*shape == DiskShape::hardDisk) disk::setReceiverRoot(root, kHardDiskMountPoint);
  errors << "quillon-host: " << shapeTaken(root, *shape) << '\n';
  return shape;
}

// `receiverPath` as a path on this machine, links followed in the receiver's root; as it reads
// below the root when it cannot be resolved.
fs::path onThisMachine(std::string_view receiverPath) {
  fs::path path = disk::pathOnMachine(disk::receiverRoot(), receiverPath);
  if (!path.empty()) return path;
  const disk::FileRoot& root = disk::receiverRoot();
  const std::string_view below =
      root.mountPoint().empty() ? receiverPath : receiverPath.substr(root.mountPoint().size() + 1);
  return root.directory() / fs::path(below).relative_path();
}

// Tells why a task of the host failed (failure_line.h) on standard error while it lives; a
// headless run's `transcript` shows the line too, where it happened. While the terminal display
// is up the lines wait, and are told once it is gone.
class FailureNotices {
 public:
  FailureNotices(std::ostream& errors, std::ostream* transcript)
      : errors_(errors), transcript_(transcript) {
    disk::setFailureListener([this](std::string_view task, const disk::FileFailure& failure) {
      const std::string line = failureLine(task, failure) + '\n';
      (held_ ? waiting_ : errors_) << line;
      if (transcript_ != nullptr) *transcript_ << line;
    });
  }
  FailureNotices(const FailureNotices&) = delete;
  FailureNotices& operator=(const FailureNotices&) = delete;
  ~FailureNotices() {
    disk::setFailureListener(nullptr);
    holdWhileDisplayed(false);
  }

  void holdWhileDisplayed(bool held) {
    held_ = held;
    if (held) return;
    errors_ << waiting_.str();
    waiting_.str("");
  }

 private:
  std::ostream& errors_;
  std::ostream* transcript_;
  bool held_ = false;
  std::ostringstream waiting_;
};

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
  TerminalDisplay terminal({signal_exit::addCleanup, signal_exit::removeCleanup});
  return runPlugin(plugin, terminal, errors);
#else
  static_cast<void>(plugin);
  errors << "quillon-host: this build has no terminal display (there was no ncurses for its "
            "CPU); give --keys to run headless\n";
  return kExitBadCommandLine;
#endif
}

// The one-command rebuild: the plug-in run by a RebuildOperator with the options' choices.
// Prints how many recordings the list holds and where it is, or why there is none.
int runRebuild(const LoadedPlugin& plugin, const HostOptions& options, std::ostream& out,
               std::ostream& errors) {
  // The plug-in has the host reload the list once it has written it, and only then.
  eZapMain& host = *eZapMain::instance();
  bool written = false;
  host.onRecordingsLoaded([&written](const eZapMain&) { written = true; });
  RebuildOperator person({options.sortType, options.eventInfo});
  bool keysEnded = false;
  {
    const eActiveDisplay active(person);
    try {
      plugin.exec();
    } catch (const eNoMoreKeys&) {
      keysEnded = true;
    }
  }
  host.onRecordingsLoaded(nullptr);
  if (keysEnded) {
    errors << "quillon-host: rebuild: " << escapeForTerminal(person.problem()) << '\n';
    return kExitNotWritten;
  }
  if (!person.rebuildChosen()) {
    errors << "quillon-host: rebuild: the plug-in returned before its rebuild could be chosen\n";
    return kExitNotWritten;
  }
  // The rebuild has said why it wrote no list (FailureNotices).
  if (!written) return kExitNotWritten;
  const std::size_t count = host.recordings().size();
  out << "listed " << count << (count == 1 ? " recording" : " recordings") << " in "
      << quoted(onThisMachine(kRecordingsList)) << '\n';
  return 0;
}

}  // namespace

bool canShowAnything(const HostOptions& options, std::ostream& errors) {
  if (options.keys || options.rebuild || hasTerminal()) return true;
  errors << "quillon-host: no terminal to draw on; give --keys to run headless\n";
  return false;
}

int runHost(HostOptions options, std::ostream& out, std::ostream& errors) {
  if (!canShowAnything(options, errors)) return kExitBadCommandLine;
  if (std::string problem = completePaths(options); !problem.empty()) {
    errors << "quillon-host: " << problem << '\n';
    return kExitBadCommandLine;
  }
  const std::optional<DiskShape> shape = takeReceiverDisk(options.root, errors);
  if (!shape) return kExitBadCommandLine;
  openConfiguration(options, *shape, errors);
  LoadedPlugin plugin(options.plugin);
  if (!plugin.isLoaded()) {
    errors << "quillon-host: " << escapeForTerminal(plugin.error()) << '\n';
    return kExitBadCommandLine;
  }
  FailureNotices notices(errors, options.keys ? &out : nullptr);
  eZapMain* host = eZapMain::instance();
  host->loadRecordings(false);
  if (options.rebuild) return runRebuild(plugin, options, out, errors);

  int status = 0;
  if (options.keys) {
    host->onRecordingsLoaded([&out](const eZapMain& reloaded) { writeReloadLine(out, reloaded); });
    HeadlessDisplay headless(*options.keys, out);
    status = runPlugin(plugin, headless, errors);
    host->onRecordingsLoaded(nullptr);
  } else {
    notices.holdWhileDisplayed(true);
    status = runOnTerminal(plugin, errors);
    notices.holdWhileDisplayed(false);
  }
  if (status == kExitKeysEnded) return status;
  out << "plugin_exec returned " << status << '\n';
  writeRecordingsList(out, *host);
  return status;
}
