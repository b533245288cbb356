#include "runner/command_line.h"

#include <sstream>
#include <string_view>

namespace {

// The value of `option` at `index`, given as "--option VALUE" or "--option=VALUE"; advances
// `index` past a separate value.
std::optional<std::string> optionValue(const std::vector<std::string>& arguments,
                                       std::size_t& index, std::string_view option) {
  const std::string& argument = arguments[index];
  if (argument.size() > option.size() && argument.starts_with(option) &&
      argument[option.size()] == '=') {
    return argument.substr(option.size() + 1);
  }
  if (argument != option || index + 1 == arguments.size()) return std::nullopt;
  return arguments[++index];
}

// A plug-in named without a slash is a file here, not a name for the loader's search.
std::string asPath(const std::string& plugin) {
  return plugin.find('/') == std::string::npos ? "./" + plugin : plugin;
}

bool names(const std::string& argument, std::string_view option) {
  return argument == option || (argument.starts_with(option) && argument[option.size()] == '=');
}

}  // namespace

std::variant<HostOptions, CommandLineError> parseCommandLine(
    const std::vector<std::string>& arguments) {
  HostOptions options;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      continue;
    }
    if (argument == "--version") {
      options.version = true;
      continue;
    }
    std::string_view option;
    for (std::string_view known : {"--root", "--config", "--keys", "--plugin"}) {
      if (names(argument, known)) option = known;
    }
    if (option.empty()) {
      if (argument.starts_with("-")) return CommandLineError{"unknown option '" + argument + "'"};
      return CommandLineError{"unexpected argument '" + argument + "'"};
    }
    std::optional<std::string> value = optionValue(arguments, index, option);
    if (!value) return CommandLineError{"option '" + std::string(option) + "' needs a value"};
    if (value->empty() && option != "--keys") {
      return CommandLineError{"option '" + std::string(option) + "' needs a path, not ''"};
    }
    if (option == "--root") options.root = *value;
    if (option == "--config") options.config = *value;
    if (option == "--plugin") options.plugin = asPath(*value);
    if (option == "--keys") {
      auto keys = parseKeyScript(*value);
      if (auto* error = std::get_if<CommandLineError>(&keys)) return *error;
      options.keys = std::get<std::vector<eRCKey>>(keys);
    }
  }
  return options;
}

std::variant<std::vector<eRCKey>, CommandLineError> parseKeyScript(const std::string& script) {
  std::vector<eRCKey> keys;
  std::istringstream words(script);
  std::string word;
  while (words >> word) {
    std::optional<eRCKey> key = keyFromName(word);
    if (!key) {
      return CommandLineError{"unknown key '" + word +
                              "' in --keys (the keys are: up down left right ok exit)"};
    }
    keys.push_back(*key);
  }
  return keys;
}

std::string usageText() {
  return "usage: quillon-host [--root DIR] [--config FILE] [--keys \"KEY KEY ...\"] "
         "[--plugin PATH]\n"
         "Plays the receiver: loads the Quillon plug-in and runs it on a receiver's disk.\n"
         "\n"
         "  --root DIR      the directory that stands for the receiver's \"/\";\n"
         "                  without it, the bundled demo disk (once installed, a copy of it\n"
         "                  in a fresh temporary directory)\n"
         "  --config FILE   the configuration store; without it, etc/enigma/config under\n"
         "                  the root\n"
         "  --keys \"...\"    run headless: feed these keys in order (up down left right ok\n"
         "                  exit) and write every screen as text to standard output\n"
         "  --plugin PATH   the plug-in to load (a path: 'quillon.so' is the one here);\n"
         "                  without it, the quillon.so built beside this program or\n"
         "                  installed with it\n"
         "  --help          show this text\n"
         "  --version       show the program's version\n"
         "\n"
         "In the terminal: arrow keys move and change values, Enter chooses, Escape or q closes.\n"
         "Without --keys, standard input and output must be a terminal.\n"
         "Exit status: the plug-in's result; 2 for a bad command line, a path that cannot\n"
         "serve or a plug-in that cannot be loaded; 3 when the key script ends while a window\n"
         "is still open.\n";
}

std::string versionText() {
  return "quillon-host " QUILLON_VERSION "\n";
}
