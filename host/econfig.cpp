#include "host/econfig.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "host/atomic_file.h"

namespace {

// A key the file can hold as the left side of one line, and that a C string can name.
bool isStorableKey(std::string_view key) {
  constexpr std::string_view kForbidden("=#\n\r\0", 5);
  return !key.empty() && key.find_first_of(kForbidden) == std::string_view::npos;
}

// The whole of `text` as an int; nothing when it is empty, out of range or followed by more.
std::optional<int> integerValue(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// One KEY=INTEGER line; nothing for a comment, a blank line or a line the store cannot read.
std::optional<std::pair<std::string_view, int>> parseLine(std::string_view line) {
  if (line.empty() || line.front() == '#') return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = line.substr(0, equals);
  if (!isStorableKey(key)) return std::nullopt;
  const std::optional<int> value = integerValue(line.substr(equals + 1));
  if (!value) return std::nullopt;
  return std::pair{key, *value};
}

// The whole file; empty when it is missing or cannot be read to its end (the stream buffer
// throws on a read error).
std::string readWholeFile(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  try {
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    return {};
  }
}

}  // namespace

eConfig* eConfig::instance() {
  static eConfig store;
  return &store;
}

int eConfig::getKey(const char* key, int& value) const {
  if (key == nullptr) return -1;
  const auto found = values_.find(std::string_view(key));
  if (found == values_.end()) return -1;
  value = found->second;
  return 0;
}

int eConfig::setKey(const char* key, const int& value) {
  if (key == nullptr || !isStorableKey(key)) return -1;
  values_.insert_or_assign(std::string(key), value);
  if (file_.empty()) return 0;
  return write();
}

void eConfig::open(std::filesystem::path file) {
  file_ = std::move(file);
  values_.clear();
  const std::string text = readWholeFile(file_);
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    if (const auto entry = parseLine(rest.substr(0, end)))
      values_.insert_or_assign(std::string(entry->first), entry->second);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
}

int eConfig::write() const {
  host::AtomicFile file(file_);
  if (!file.isOpen()) return -1;
  for (const auto& [key, value] : values_) {
    if (std::fprintf(file.stream(), "%s=%d\n", key.c_str(), value) < 0) return -1;
  }
  return file.commit();
}
