#include "movielist/event_files.h"

#include <dirent.h>

#include <algorithm>

#include "movielist/display_name.h"

namespace {

constexpr std::string_view kEventSuffix = ".eit";

}  // namespace

std::size_t EventFileIndex::stemKey(std::string_view stem, bool checkFirst) const {
  return (hash_(stem) & ~std::size_t{1}) | (checkFirst ? 1 : 0);
}

void EventFileIndex::add(std::string_view entryName, unsigned char listedType) {
  if (namesMayFoldCase_ || !entryName.ends_with(kEventSuffix)) return;
  const std::string_view stem = entryName.substr(0, entryName.size() - kEventSuffix.size());
  stems_.push_back(stemKey(stem, listedType != DT_REG));
}

void EventFileIndex::complete() {
  std::sort(stems_.begin(), stems_.end());
}

std::optional<unsigned char> EventFileIndex::listedEventFileType(
    std::string_view recordingName) const {
  if (namesMayFoldCase_) return DT_UNKNOWN;
  const std::size_t regular = stemKey(withoutTsSuffix(recordingName), false);
  const auto found = std::lower_bound(stems_.begin(), stems_.end(), regular);
  if (found == stems_.end() || (*found | 1) != (regular | 1)) return std::nullopt;
  const bool checkFirst = std::binary_search(found, stems_.end(), regular | 1);
  return checkFirst ? DT_UNKNOWN : DT_REG;
}
