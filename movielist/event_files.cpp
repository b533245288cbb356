#include "movielist/event_files.h"

#include <algorithm>

#include "movielist/display_name.h"

namespace {

constexpr std::string_view kEventSuffix = ".eit";

}  // namespace

void EventFileIndex::add(std::string_view entryName) {
  if (namesMayFoldCase_ || !entryName.ends_with(kEventSuffix)) return;
  stems_.push_back(hash_(entryName.substr(0, entryName.size() - kEventSuffix.size())));
}

void EventFileIndex::complete() {
  std::sort(stems_.begin(), stems_.end());
}

bool EventFileIndex::mayHaveEventFile(std::string_view recordingName) const {
  return namesMayFoldCase_ ||
         std::binary_search(stems_.begin(), stems_.end(), hash_(withoutTsSuffix(recordingName)));
}
