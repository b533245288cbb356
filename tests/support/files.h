// What the tests read back from a disk: a file's bytes and the names a directory holds.
#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

namespace testsupport {

// The bytes of `file`; nullopt when it cannot be opened.
inline std::optional<std::string> contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return (std::ostringstream() << in.rdbuf()).str();
}

// The names in `directory` that start with `prefix` ("." for hidden, temporary files), sorted.
inline std::set<std::string> names(const std::filesystem::path& directory,
                                   std::string_view prefix = "") {
  std::set<std::string> result;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    std::string name = entry.path().filename();
    if (name.starts_with(prefix)) result.insert(std::move(name));
  }
  return result;
}

}  // namespace testsupport
