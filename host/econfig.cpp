#include "host/econfig.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "host/atomic_file.h"
#include "host/line_reader.h"
#include "host/receiver_fs.h"

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
  if (line.ends_with('\r')) line.remove_suffix(1);  // written by an editor elsewhere
  if (line.empty() || line.front() == '#') return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = line.substr(0, equals);
  if (!isStorableKey(key)) return std::nullopt;
  const std::optional<int> value = integerValue(line.substr(equals + 1));
  if (!value) return std::nullopt;
  return std::pair{key, *value};
}

const host::FileRoot& rootOf(bool onReceiver) {
  return onReceiver ? host::receiverRoot() : host::machineRoot();
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
  std::error_code noWorkingDirectory;
  std::filesystem::path absolute = std::filesystem::absolute(file, noWorkingDirectory);
  file_ = noWorkingDirectory ? file.string() : absolute.string();
  onReceiver_ = false;
  directoryMode_.reset();
  if (!noWorkingDirectory) return read();
  values_.clear();  // a relative path with no directory to start from: nothing to read or write
  readError_ = noWorkingDirectory.value();
}

void eConfig::openOnReceiver(std::string receiverPath) {
  file_ = std::move(receiverPath);
  onReceiver_ = true;
  directoryMode_.reset();
  read();
}

void eConfig::read() {
  std::map<std::string, int, std::less<>> values;
  const bool read =
      host::readFileLines(rootOf(onReceiver_), file_, kFileLimit, [&values](std::string_view line) {
        if (const auto entry = parseLine(line))
          values.insert_or_assign(std::string(entry->first), entry->second);
      });
  readError_ = read || errno == ENOENT ? 0 : errno;
  values_ = read ? std::move(values) : decltype(values){};
}

int eConfig::write() const {
  if (unreadable()) {
    errno = readError_;
    return -1;
  }
  const std::string_view directory(file_.data(), file_.rfind('/') + 1);
  if (directoryMode_ && !host::createDirectories(rootOf(onReceiver_), directory, *directoryMode_))
    return -1;
  host::AtomicFile file(rootOf(onReceiver_), file_, host::AtomicFile::TemporaryName::Fixed);
  if (!file.isOpen()) return -1;
  for (const auto& [key, value] : values_) {
    if (std::fprintf(file.stream(), "%s=%d\n", key.c_str(), value) < 0) return -1;
  }
  return file.commit();
}
