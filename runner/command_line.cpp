#include "runner/command_line.h"

#include <sstream>

#include "runner/option_parser.h"

namespace {

constexpr OptionRule kOptions[] = {
    {"--help", false}, {"-h", false},      {"--version", false}, {"--rebuild", false},
    {"--root", true},  {"--config", true}, {"--keys", true},     {"--plugin", true},
    {"--sort", true},  {"--eit", true},
};

Failure mistake(std::string line) {
  return Failure(std::move(line), kExitBadCommandLine, true);
}

Failure faultFailure(const OptionFault& fault) {
  using enum OptionFault::Kind;
  if (fault.kind == missingValue) return mistake("option '" + fault.argument + "' needs a value");
  return mistake((fault.kind == unknownOption ? "unknown option '" : "unexpected argument '") +
                 fault.argument + "'");
}

// A plug-in named without a slash is a file here, not a name for the loader's search.
std::string asPath(const std::string& plugin) {
  return plugin.find('/') == std::string::npos ? "./" + plugin : plugin;
}

// The sort orders by name, in the order of the settings window's values.
constexpr std::string_view kSortNames[] = {
    "filename-ascending",  "filename-descending",   "filedate-ascending",
    "filedate-descending", "description-ascending", "description-descending",
};

// The sort order `value` names: one of kSortNames, or its number.
std::optional<int> sortTypeNamed(std::string_view value) {
  for (int sortType = 1; sortType <= 6; ++sortType) {
    if (value == kSortNames[sortType - 1] || value == std::to_string(sortType)) return sortType;
  }
  return std::nullopt;
}

std::optional<bool> switchNamed(std::string_view value) {
  if (value == "on") return true;
  if (value == "off") return false;
  return std::nullopt;
}

// What the options given say against each other; nothing when they agree.
std::optional<Failure> contradiction(const HostOptions& options) {
  if (options.rebuild && options.keys)
    return mistake("--rebuild runs without a key script: give either --rebuild or --keys");
  if (options.rebuild) return std::nullopt;
  if (options.sortType) return mistake("option '--sort' is for --rebuild");
  if (options.eventInfo) return mistake("option '--eit' is for --rebuild");
  return std::nullopt;
}

}  // namespace

Outcome<HostOptions> parseCommandLine(const std::vector<std::string>& arguments) {
  auto read = readOptions(arguments, kOptions);
  if (const auto* fault = std::get_if<OptionFault>(&read)) return faultFailure(*fault);
  HostOptions options;
  for (const auto& [option, value] : std::get<std::vector<GivenOption>>(read)) {
    if (option == "--help" || option == "-h") options.help = true;
    if (option == "--version") options.version = true;
    if (option == "--rebuild") options.rebuild = true;
    if (option == "--sort") {
      options.sortType = sortTypeNamed(value);
      if (!options.sortType) {
        return mistake("unknown sort order '" + value +
                       "' (the orders are: filename-ascending filename-descending "
                       "filedate-ascending filedate-descending description-ascending "
                       "description-descending, or 1 to 6)");
      }
    }
    if (option == "--eit") {
      options.eventInfo = switchNamed(value);
      if (!options.eventInfo) return mistake("option '--eit' takes on or off, not '" + value + "'");
    }
    if (value.empty() && (option == "--root" || option == "--config" || option == "--plugin"))
      return mistake("option '" + std::string(option) + "' needs a path, not ''");
    if (option == "--root") options.root = value;
    if (option == "--config") options.config = value;
    if (option == "--plugin") options.plugin = asPath(value);
    if (option == "--keys") {
      Outcome<std::vector<eRCKey>> keys = parseKeyScript(value);
      if (!keys) return keys.failure();
      options.keys = std::move(*keys);
    }
  }
  if (std::optional<Failure> error = contradiction(options)) return *error;
  return options;
}

Outcome<std::vector<eRCKey>> parseKeyScript(const std::string& script) {
  std::vector<eRCKey> keys;
  std::istringstream words(script);
  std::string word;
  while (words >> word) {
    std::optional<eRCKey> key = keyFromName(word);
    if (!key) {
      return mistake("unknown key '" + word +
                     "' in --keys (the keys are: up down left right ok exit)");
    }
    keys.push_back(*key);
  }
  return keys;
}

std::string usageText() {
  return "usage: quillon-host [--root DIR] [--config FILE] [--keys \"KEY KEY ...\"] "
         "[--plugin PATH]\n"
         "       quillon-host --rebuild [--sort ORDER] [--eit on|off] [--root DIR] "
         "[--config FILE]\n"
         "Plays the receiver: loads the Quillon plug-in and runs it on a receiver's disk.\n"
         "\n"
         "  --root DIR      a receiver's disk: its whole root (DIR holds hdd/ or\n"
         "                  etc/enigma/), or its hard disk alone (DIR holds movie/),\n"
         "                  taken as the receiver mounts it, at /hdd; without it, the\n"
         "                  bundled demo disk (once installed, your own copy of it, made\n"
         "                  on first use under $XDG_DATA_HOME/quillon)\n"
         "  --config FILE   the configuration store; without it, etc/enigma/config under\n"
         "                  a whole root, and $XDG_CONFIG_HOME/quillon/config (or\n"
         "                  ~/.config/quillon/config) for a hard disk\n"
         "  --keys \"...\"    run headless: feed these keys in order (up down left right ok\n"
         "                  exit) and write every screen as text to standard output\n"
         "  --rebuild       rebuild the recordings list, choosing in the settings window as\n"
         "                  a person would, with no terminal; print how many recordings\n"
         "                  were listed and where\n"
         "  --sort ORDER    with --rebuild, choose this sort order first: filename-ascending,\n"
         "                  filename-descending, filedate-ascending, filedate-descending,\n"
         "                  description-ascending, description-descending, or 1 to 6\n"
         "  --eit on|off    with --rebuild, switch the use of event information first\n"
         "  --plugin PATH   the plug-in to load (a path: 'quillon.so' is the one here);\n"
         "                  without it, the quillon.so built beside this program or\n"
         "                  installed with it\n"
         "  --help          show this text\n"
         "  --version       show the program's version\n"
         "\n"
         "In the terminal: arrow keys move and change values, Enter chooses, Escape or q closes.\n"
         "Without --keys or --rebuild, standard input and output must be a terminal.\n"
         "Exit status: the plug-in's result; with --rebuild, 0 when the list was written and\n"
         "1 when not; 2 for a bad command line, a path that cannot serve or a plug-in that\n"
         "cannot be loaded; 3 when the key script ends while a window is still open.\n";
}

std::string versionText() {
  return "quillon-host " QUILLON_VERSION "\n";
}
