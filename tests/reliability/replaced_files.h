// What the crash and file-system tests replace and look at: the list and configuration file
// that were there before a rebuild or a setting, and the names a directory holds.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace reliability {

inline constexpr char kOldList[] =
    "#NAME old\n#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/old.ts\n/hdd/movie/old.ts\n";
// A setting the store holds before the one a test changes.
inline constexpr char kSettingKey[] = "/enigma/plugins/quillon/filesort";
inline constexpr char kOldConfig[] = "/enigma/plugins/quillon/filesort=2\n";

// The names in `directory`, sorted.
inline std::set<std::string> names(const std::filesystem::path& directory) {
  std::set<std::string> result;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    result.insert(entry.path().filename());
  return result;
}

}  // namespace reliability
