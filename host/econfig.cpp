#include "host/econfig.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "disk/file_failure.h"
#include "disk/line_reader.h"
#include "disk/receiver_fs.h"
#include "disk/replaced_file.h"

namespace {

using Values = std::map<std::string, int, std::less<>>;

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

// One line without its line ending: a CR before the '\n' (or the end) is no part of it.
std::string_view withoutReturn(std::string_view line) {
  if (line.ends_with('\r')) line.remove_suffix(1);  // written by an editor elsewhere
  return line;
}

// One KEY=INTEGER line; nothing for a comment, a blank line or a line the store cannot read.
std::optional<std::pair<std::string_view, int>> parseLine(std::string_view line) {
  line = withoutReturn(line);
  if (line.empty() || line.front() == '#') return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = line.substr(0, equals);
  if (!isStorableKey(key)) return std::nullopt;
  const std::optional<int> value = integerValue(line.substr(equals + 1));
  if (!value) return std::nullopt;
  return std::pair{key, *value};
}

// The values a file's text holds; of a key on several lines, the last that can be read.
Values valuesOf(std::string_view text) {
  Values values;
  disk::forEachFileLine(text, [&values](std::string_view line) {
    if (const auto entry = parseLine(line))
      values.insert_or_assign(std::string(entry->first), entry->second);
  });
  return values;
}

// The line ending of `text`: CR LF when its last line ending is one, or when it has none and
// ends in a CR; else LF.
std::string_view lineEnding(std::string_view text) {
  const std::size_t last = text.rfind('\n');
  const bool carriageReturn =
      last == std::string_view::npos ? text.ends_with('\r') : last > 0 && text[last - 1] == '\r';
  return carriageReturn ? "\r\n" : "\n";
}

// `text` with `value` in the last line of `key`, every other byte as it was; where no line
// holds the key, with KEY=VALUE added as a line of its own.
std::string withValue(std::string text, std::string_view key, int value) {
  const std::string number = std::to_string(value);
  std::size_t valueStart = std::string::npos;
  std::size_t valueEnd = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = withoutReturn(std::string_view(text).substr(start, end - start));
    if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=') {
      valueStart = start + key.size() + 1;
      valueEnd = start + line.size();
    }
    start = end + 1;
  }
  if (valueStart != std::string::npos)
    return text.replace(valueStart, valueEnd - valueStart, number);
  const std::string_view ending = lineEnding(text);
  if (!text.empty() && !text.ends_with('\n')) text += text.ends_with('\r') ? "\n" : ending;
  return text.append(key).append("=").append(number).append(ending);
}

// "1 MiB the store reads"
std::string limitText() {
  return std::to_string(eConfig::kFileLimit >> 20) + " MiB the store reads";
}

const disk::FileRoot& rootOf(bool onReceiver) {
  return onReceiver ? disk::receiverRoot() : disk::machineRoot();
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
  if (key == nullptr || !isStorableKey(key)) {
    if (!file_.empty()) {
      disk::recordFileFailure(rootOf(onReceiver_), file_, "cannot hold a key of that form", 0);
      disk::reportFailure("setting");
    }
    return -1;
  }
  values_.insert_or_assign(std::string(key), value);
  if (file_.empty()) return 0;
  if (store(key, value) == 0) return 0;
  disk::reportFailure("setting");
  return -1;
}

void eConfig::open(std::filesystem::path file) {
  std::error_code noWorkingDirectory;
  std::filesystem::path absolute = std::filesystem::absolute(file, noWorkingDirectory);
  file_ = noWorkingDirectory ? file.string() : absolute.string();
  onReceiver_ = false;
  directoryMode_.reset();
  located_ = !noWorkingDirectory;
  if (located_) return read();
  values_.clear();  // a relative path with no directory to start from: nothing to read or write
  readError_ = noWorkingDirectory.value();
}

void eConfig::openOnReceiver(std::string receiverPath) {
  file_ = std::move(receiverPath);
  onReceiver_ = true;
  directoryMode_.reset();
  located_ = true;
  read();
}

void eConfig::read() {
  std::string text;
  values_ = readText(text) ? valuesOf(text) : Values();
}

bool eConfig::readText(std::string& text) {
  text.clear();
  const disk::FileRoot& root = rootOf(onReceiver_);
  const bool read = disk::readRegularFile(root, file_, kFileLimit,
                                          [&text](std::string_view piece) { text.append(piece); });
  readError_ = read || errno == ENOENT ? 0 : errno;
  if (readError_ == 0) {
    if (!read) text.clear();  // a missing file holds nothing
    return true;
  }
  if (readError_ == EFBIG) {
    disk::recordFileFailure(root, file_,
                            "is larger than the " + limitText() + ", and stays as it is", 0);
  } else {
    disk::recordFileFailure(root, file_, "cannot be read, and stays as it is", readError_);
  }
  text.clear();
  errno = readError_;
  return false;
}

bool eConfig::takeValues(std::string_view text, std::string_view key, int value) {
  Values held = valuesOf(text);
  const auto found = held.find(key);
  const bool holds = found != held.end() && found->second == value;
  for (auto& [name, number] : held) values_.insert_or_assign(name, number);
  values_.insert_or_assign(std::string(key), value);
  return holds;
}

int eConfig::store(std::string_view key, int value) {
  const disk::FileRoot& root = rootOf(onReceiver_);
  if (!located_) {
    disk::recordFileFailure(root, file_, "cannot be found without a working directory", readError_);
    errno = readError_;
    return -1;
  }
  std::string text;
  if (!readText(text)) return -1;
  if (takeValues(text, key, value)) return 0;
  const std::string_view directory(file_.data(), file_.rfind('/') + 1);
  if (directoryMode_ && !disk::createDirectories(root, directory, *directoryMode_)) {
    disk::recordFileFailure(root, directory, "cannot be made", errno);
    return -1;
  }
  // Read once more under the writer's lock: what another writer stored last stays.
  disk::ReplacedFile file(root, file_, disk::ReplacedFile::TemporaryName::Fixed);
  if (!file.isOpen() || !readText(text)) return -1;
  if (takeValues(text, key, value)) return 0;
  const std::string updated = withValue(std::move(text), key, value);
  if (updated.size() > kFileLimit) {
    disk::recordFileFailure(
        root, file_, "would grow larger than the " + limitText() + ", and stays as it is", 0);
    errno = EFBIG;
    return -1;
  }
  std::fwrite(updated.data(), 1, updated.size(), file.stream());
  return file.commit();
}
