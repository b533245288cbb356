#include "movielist/event_files.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kEventSuffix = ".eit";

}  // namespace

std::string_view withoutTsSuffix(std::string_view text) {
  return text.ends_with(".ts") ? text.substr(0, text.size() - 3) : text;
}

bool eventFileName(std::string_view path, std::array<char, NAME_MAX + 1>& entry) {
  std::string_view stem = withoutTsSuffix(path);
  stem.remove_prefix(std::min(stem.size(), stem.rfind('/') + 1));
  if (stem.size() + kEventSuffix.size() >= entry.size()) return false;
  std::memcpy(entry.data(), stem.data(), stem.size());
  std::memcpy(entry.data() + stem.size(), kEventSuffix.data(), kEventSuffix.size());
  entry[stem.size() + kEventSuffix.size()] = '\0';
  return true;
}

void EventFileIndex::add(std::string_view entryName) {
  if (namesMayFoldCase_ || !entryName.ends_with(kEventSuffix)) return;
  stems_.push_back(hash_(entryName.substr(0, entryName.size() - kEventSuffix.size())));
}

void EventFileIndex::complete() {
  std::sort(stems_.begin(), stems_.end());
}

EventFileListing EventFileIndex::listing(std::string_view recordingName) const {
  if (namesMayFoldCase_) return EventFileListing::Unknown;
  return std::binary_search(stems_.begin(), stems_.end(), hash_(withoutTsSuffix(recordingName)))
             ? EventFileListing::Listed
             : EventFileListing::Absent;
}
