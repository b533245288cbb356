#include "runner/host_run.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
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
#include "runner/failure.h"
#include "runner/install_paths.h"
#include "runner/message_catalogue.h"
#include "runner/plugin_loader.h"
#include "runner/rebuild_operator.h"
#include "runner/receiver_disk.h"
#include "runner/recordings_report.h"
#ifdef QUILLON_TERMINAL_DISPLAY
#include "display/terminal_display.h"
#include "runner/signal_exit.h"
#endif

namespace {

namespace fs = std::filesystem;

// `given` made absolute, so that it means the same whatever the process does later, when it is
// a directory that can serve as the receiver's root.
Outcome<fs::path> usableRoot(const fs::path& given) {
  std::error_code error;
  const fs::path root = fs::absolute(given, error);
  if (error)
    return Failure("receiver root " + quoted(given) + " cannot be used: " + error.message());
  const fs::file_status status = fs::status(root, error);
  if (error && error != std::errc::no_such_file_or_directory)
    return Failure("receiver root " + quoted(root) + " cannot be used: " + error.message());
  if (!fs::is_directory(status))
    return Failure("receiver root " + quoted(root) + " is not a directory");
  return root;
}

// `given` made absolute, when its directory can hold the configuration store.
Outcome<fs::path> usableConfiguration(const fs::path& given) {
  std::error_code error;
  const fs::path config = fs::absolute(given, error);
  if (error)
    return Failure("configuration file " + quoted(given) + " cannot be used: " + error.message());
  const std::string subject = "the directory of configuration file " + quoted(config);
  const fs::file_status status = fs::status(config.parent_path(), error);
  if (error == std::errc::no_such_file_or_directory) return Failure(subject + " does not exist");
  if (error) return Failure(subject + " cannot be used: " + error.message());
  if (!fs::is_directory(status)) {
    return Failure("configuration file " + quoted(config) +
                   " cannot be used: " + quoted(config.parent_path()) + " is not a directory");
  }
  return config;
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

// Makes `root` the receiver's in the shape it has, and says which on `notices`; a failure when
// it cannot be opened or has neither shape.
Outcome<DiskShape> takeReceiverDisk(const fs::path& root, std::ostream& notices) {
  disk::setReceiverRoot(root);
  if (!disk::receiverRoot().isOpen())
    return Failure("receiver root " + quoted(root) + " cannot be opened: " + std::strerror(errno));
  const std::optional<DiskShape> shape = diskShape(root);
  if (!shape) return Failure(noShape(root));
  if (*shape == DiskShape::hardDisk) disk::setReceiverRoot(root, kHardDiskMountPoint);
  notices << "quillon-host: " << shapeTaken(root, *shape) << '\n';
  return *shape;
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

// Tells why a task of the host failed (runner/failure.h) on standard error while it lives; a
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
Outcome<int> runPlugin(const LoadedPlugin& plugin, Display& display) {
  const eActiveDisplay active(display);
  try {
    const int status = plugin.exec();
    display.refresh(currentScreenFrame());
    return status;
  } catch (const eNoMoreKeys& ended) {
    return Failure(
        "the key script ended while " + std::string(ended.waiting()) + " was waiting for a key",
        kExitKeysEnded);
  }
}

bool canShowAnything(const HostOptions& options) {
  return options.keys || options.rebuild || (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO));
}

Outcome<int> runOnTerminal(const LoadedPlugin& plugin) {
#ifdef QUILLON_TERMINAL_DISPLAY
  TerminalDisplay terminal({signal_exit::addCleanup, signal_exit::removeCleanup});
  return runPlugin(plugin, terminal);
#else
  static_cast<void>(plugin);
  return Failure(
      "this build has no terminal display (there was no ncurses for its CPU); give --keys to run "
      "headless");
#endif
}

// The one-command rebuild: the plug-in run by a RebuildOperator with the options' choices.
// Prints how many recordings the list holds and where it is, or why there is none.
Outcome<int> runRebuild(const LoadedPlugin& plugin, const HostOptions& options, std::ostream& out) {
  // The plug-in has the host reload the list once it has written it, and only then.
  eZapMain& host = *eZapMain::instance();
  bool written = false;
  host.onRecordingsLoaded([&written](const eZapMain&) { written = true; });
  RebuildOperator person({options.sortType, options.eventInfo});
  const eActiveDisplay active(person);
  try {
    plugin.exec();
  } catch (const eNoMoreKeys&) {
    host.onRecordingsLoaded(nullptr);
    return Failure("rebuild: " + person.problem(), kExitNotWritten);
  }
  host.onRecordingsLoaded(nullptr);
  if (!person.rebuildChosen()) {
    return Failure("rebuild: the plug-in returned before its rebuild could be chosen",
                   kExitNotWritten);
  }
  // The rebuild has said why it wrote no list (FailureNotices).
  if (!written) return kExitNotWritten;
  const std::size_t count = host.recordings().size();
  out << "listed " << count << (count == 1 ? " recording" : " recordings") << " in "
      << quoted(onThisMachine(kRecordingsList)) << '\n';
  return 0;
}

const Failure kNoTerminal("no terminal to draw on; give --keys to run headless");

Outcome<int> hostRun(HostOptions options, std::ostream& out, std::ostream& errors) {
  if (!canShowAnything(options)) return kNoTerminal;
  const Outcome<fs::path> root = usableRoot(options.root);
  if (!root) return root.failure();
  options.root = *root;
  if (!options.config.empty()) {
    const Outcome<fs::path> config = usableConfiguration(options.config);
    if (!config) return config.failure();
    options.config = *config;
  }
  const Outcome<DiskShape> shape = takeReceiverDisk(options.root, errors);
  if (!shape) return shape.failure();
  openConfiguration(options, *shape, errors);
  LoadedPlugin plugin(options.plugin);
  if (!plugin.isLoaded()) return Failure(plugin.error());
  FailureNotices notices(errors, options.keys ? &out : nullptr);
  eZapMain* host = eZapMain::instance();
  host->loadRecordings(false);
  if (options.rebuild) return runRebuild(plugin, options, out);

  Outcome<int> status = 0;
  if (options.keys) {
    host->onRecordingsLoaded([&out](const eZapMain& reloaded) { writeReloadLine(out, reloaded); });
    HeadlessDisplay headless(*options.keys, out);
    status = runPlugin(plugin, headless);
    host->onRecordingsLoaded(nullptr);
  } else {
    notices.holdWhileDisplayed(true);
    status = runOnTerminal(plugin);
    notices.holdWhileDisplayed(false);
  }
  if (!status) return status;
  out << "plugin_exec returned " << *status << '\n';
  writeRecordingsList(out, *host);
  return status;
}

Outcome<int> programRun(const std::vector<std::string>& arguments, std::ostream& out,
                        std::ostream& errors) {
  Outcome<HostOptions> options = parseCommandLine(arguments);
  if (!options) return options.failure();
  if (options->help || options->version) {
    out << (options->help ? usageText() : versionText());
    return 0;
  }
  if (!canShowAnything(*options)) return kNoTerminal;
  const Outcome<fs::path> programPlace = programDirectory();
  if (!programPlace) return programPlace.failure();
  const HostFiles files = locateHostFiles(*programPlace);
  if (options->plugin.empty()) options->plugin = files.plugin;
  if (options->root.empty()) {
    const Outcome<fs::path> demoDisk = demoDiskRoot(files, errors);
    if (!demoDisk) return demoDisk.failure();
    options->root = *demoDisk;
  }
  setUpMessageCatalogue(files.localeDirectory);
  return hostRun(std::move(*options), out, errors);
}

}  // namespace

int runProgram(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errors) {
  return statusOf(programRun(arguments, out, errors), errors);
}

int runHost(HostOptions options, std::ostream& out, std::ostream& errors) {
  return statusOf(hostRun(std::move(options), out, errors), errors);
}
