// What the end-to-end tests share: quillon-host run on a receiver's disk, and what they read
// back from its answers and its list.
#pragma once

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/host_process.h"

namespace e2e {

inline const std::string kHost = QUILLON_HOST_PATH;

// quillon-host on the receiver root `root`, headless, playing `keys`.
inline HostRun runKeys(const std::filesystem::path& root, const std::string& keys,
                       std::vector<std::string> environment = {}, const ProgramStart& start = {}) {
  return runProgram(kHost, {"--root", root.string(), "--keys", keys}, std::move(environment),
                    start);
}

// What quillon-host says first on `root`, taken as `shape`.
inline std::string takenLine(const std::filesystem::path& root,
                             const std::string& shape = "whole root") {
  return "quillon-host: taking '" + root.string() + "' as a receiver's " + shape + "\n";
}

// `text` with every `word` written as `with`.
inline std::string replaced(std::string text, const std::string& word, const std::string& with) {
  for (std::size_t at = 0; (at = text.find(word, at)) != std::string::npos; at += with.size())
    text.replace(at, word.size(), with);
  return text;
}

// The recordings' paths in a list file, in its order, or the values of its `field` lines.
inline std::vector<std::string> listed(const std::optional<std::string>& list,
                                       const std::string& field = "") {
  std::vector<std::string> values;
  std::istringstream lines(list.value_or(""));
  for (std::string line; std::getline(lines, line);) {
    if (field.empty() ? !line.empty() && line.front() != '#' : line.starts_with(field))
      values.push_back(line.substr(field.size()));
  }
  return values;
}

}  // namespace e2e
