// The command line of quillon-host: where the receiver's disk and the configuration store
// are, which plug-in to load, and whether keys come from the terminal, from a script, or from
// the one-command rebuild.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/gui/keysource.h"
#include "runner/failure.h"

struct HostOptions {
  std::filesystem::path root;    // a receiver's "/" or its hard disk; empty for the demo disk
  std::filesystem::path config;  // the configuration store; empty for the one the disk implies
  std::filesystem::path plugin;  // empty for the quillon.so built or installed with the program
  std::optional<std::vector<eRCKey>> keys;  // headless when given
  bool rebuild = false;                     // rebuild the list in one run, without a display
  std::optional<int> sortType;              // with rebuild: the sort order to choose first, 1-6
  std::optional<bool> eventInfo;            // with rebuild: event information on or off first
  bool help = false;
  bool version = false;
};

// A mistake fails with exit status 2, pointing the user to --help.
Outcome<HostOptions> parseCommandLine(const std::vector<std::string>& arguments);

// The words of a key script, "ok down exit"; the failure names the first unknown word.
Outcome<std::vector<eRCKey>> parseKeyScript(const std::string& script);

// The text of --help.
std::string usageText();

// The text of --version: the program's name and the release it belongs to.
std::string versionText();
