#include "bench/floor_rebuild.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "dvbtext/dvbtext.h"

namespace bench {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kReadSize = 4096;
constexpr std::size_t kWriteBufferSize = 1 << 17;
constexpr std::string_view kPrefix = "/hdd/movie/";

// A found movie: its name and description as views into the scan's arenas.
struct Movie {
  std::uint32_t nameOffset, nameLength;
  std::uint32_t descriptionOffset, descriptionLength;
  std::int64_t date;
};

// A directory entry that may be a recording, with its type as the listing gave it.
struct Candidate {
  std::uint32_t offset, length;
  unsigned char type;
};

// Appends a DVB text field as UTF-8. Plain ASCII without a selector reads the same in table
// 00 and is copied; anything else goes to the host's decoder, as no rebuild can do without it.
void appendText(std::string& out, Bytes field) {
  if (!field.empty() && field[0] >= 0x20 &&
      std::all_of(field.begin(), field.end(), [](std::uint8_t byte) { return byte < 0x80; })) {
    out.append(field.begin(), field.end());
    return;
  }
  out += dvbTextToUtf8(field);
}

// A length-prefixed text field, cut where the payload ends.
Bytes takeField(Bytes& payload) {
  if (payload.empty()) return {};
  const std::size_t length = std::min<std::size_t>(payload[0], payload.size() - 1);
  const Bytes field = payload.subspan(1, length);
  payload = payload.subspan(1 + length);
  return field;
}

// Appends the name an event record gives: title, and " - " and short text when that differs.
void appendEventName(std::string& out, Bytes record, std::string& title, std::string& text) {
  if (record.size() <= 12) return;
  const std::size_t loopLength = (record[10] & 0x0F) << 8 | record[11];
  Bytes loop = record.subspan(12);
  loop = loop.first(std::min(loopLength, loop.size()));
  while (loop.size() >= 2 && loop[1] <= loop.size() - 2) {
    Bytes payload = loop.subspan(2, loop[1]);
    if (loop[0] == 0x4D) {
      if (payload.size() < 4) return;
      payload = payload.subspan(3);
      title.clear();
      text.clear();
      appendText(title, takeField(payload));
      appendText(text, takeField(payload));
      out += title;
      if (!text.empty() && text != title) out.append(" - ").append(text);
      return;
    }
    loop = loop.subspan(2 + loop[1]);
  }
}

// Every control byte, U+2028 and U+2029 from `start` on become a blank: a field is one line.
void blankLineBreakers(std::string& text, std::size_t start) {
  std::size_t kept = start;
  for (std::size_t index = start; index < text.size(); ++index) {
    const auto byte = static_cast<unsigned char>(text[index]);
    const bool separator = byte == 0xE2 && index + 2 < text.size() && text[index + 1] == '\x80' &&
                           (text[index + 2] == '\xA8' || text[index + 2] == '\xA9');
    text[kept++] = byte < 0x20 || byte == 0x7F || separator ? ' ' : text[index];
    if (separator) index += 2;
  }
  text.resize(kept);
}

std::string_view withoutTs(std::string_view name) {
  return name.ends_with(".ts") ? name.substr(0, name.size() - 3) : name;
}

class FloorScan {
 public:
  explicit FloorScan(int directoryFd) : fd_(directoryFd) {}

  bool list() {
    DIR* listing = ::fdopendir(::dup(fd_));
    if (listing == nullptr) return false;
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) take(entry->d_name, entry->d_type);
    const int error = errno;
    ::closedir(listing);
    errno = error;
    return error == 0;
  }

  void describe() {
    movies_.reserve(candidates_.size());
    for (const Candidate& candidate : candidates_) {
      std::int64_t date;
      if (isRecording(candidate, date)) movies_.push_back(describe(candidate, date));
    }
  }

  void sort(int sortType);
  bool write() const;
  std::size_t size() const { return movies_.size(); }

 private:
  void take(const char* entryName, unsigned char type) {
    const std::string_view name(entryName);
    if (name.ends_with(".eit")) eventFiles_.insert(hash_(name.substr(0, name.size() - 4)));
    if (!name.ends_with(".ts") || name.find_first_of("\n\r") != std::string_view::npos) return;
    candidates_.push_back(
        {static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(name.size()), type});
    names_.append(name).push_back('\0');
  }

  bool isRecording(const Candidate& candidate, std::int64_t& date) const {
    struct stat status;
    const char* name = names_.data() + candidate.offset;
    if (candidate.type == DT_DIR || ::fstatat(fd_, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
      return false;
    date = status.st_mtim.tv_sec;
    if (S_ISLNK(status.st_mode) && ::fstatat(fd_, name, &status, 0) != 0) return false;
    return !S_ISDIR(status.st_mode);
  }

  Movie describe(const Candidate& candidate, std::int64_t date) {
    const std::string_view name(names_.data() + candidate.offset, candidate.length);
    const std::size_t start = descriptions_.size();
    const std::string_view stem = withoutTs(name);
    if (eventFiles_.contains(hash_(stem))) {
      std::uint8_t buffer[kReadSize];
      const ssize_t count = readEventFile(stem, buffer);
      if (count > 0) appendEventName(descriptions_, Bytes(buffer, count), title_, text_);
    }
    blankLineBreakers(descriptions_, start);
    // No title, or one of blanks alone: the file name.
    if (descriptions_.find_first_not_of(' ', start) == std::string::npos) {
      descriptions_.resize(start);
      descriptions_.append(stem);
      blankLineBreakers(descriptions_, start);
    }
    return {candidate.offset, candidate.length, static_cast<std::uint32_t>(start),
            static_cast<std::uint32_t>(descriptions_.size() - start), date};
  }

  // Any safe rebuild checks an event file's type before it opens it: the listing's type is the
  // disk's word, and opening a device can act on the hardware. An O_PATH descriptor opens
  // nothing; only a regular file is then opened for reading, through /proc, as that same file.
  ssize_t readEventFile(std::string_view stem, std::uint8_t (&buffer)[kReadSize]) const {
    char path[NAME_MAX + 8];
    if (stem.size() + 5 > sizeof path) return -1;
    std::memcpy(path, stem.data(), stem.size());
    std::memcpy(path + stem.size(), ".eit", 5);
    const int object = ::openat(fd_, path, O_PATH | O_CLOEXEC);
    if (object < 0) return -1;
    ssize_t count = -1;
    struct stat status;
    if (::fstat(object, &status) == 0 && S_ISREG(status.st_mode)) {
      char self[32];
      std::snprintf(self, sizeof self, "/proc/self/fd/%d", object);
      const int eventFd = ::open(self, O_RDONLY | O_CLOEXEC);
      if (eventFd >= 0) {
        count = ::read(eventFd, buffer, kReadSize);
        ::close(eventFd);
      }
    }
    ::close(object);
    return count;
  }

  std::string_view nameOf(const Movie& movie) const {
    return {names_.data() + movie.nameOffset, movie.nameLength};
  }
  std::string_view descriptionOf(const Movie& movie) const {
    return {descriptions_.data() + movie.descriptionOffset, movie.descriptionLength};
  }

  int fd_;
  std::hash<std::string_view> hash_;
  std::unordered_set<std::size_t> eventFiles_;  // hashes of the stems: a collision only costs
                                                // an open that fails
  std::string names_;                           // candidate names, each ended by a NUL
  std::vector<Candidate> candidates_;
  std::string descriptions_;
  std::vector<Movie> movies_;
  std::string title_, text_;  // reused for every event
};

void FloorScan::sort(int sortType) {
  const auto byName = [this](const Movie& a, const Movie& b) { return nameOf(a) < nameOf(b); };
  const auto byDate = [&byName](const Movie& a, const Movie& b, bool ascending) {
    if (a.date != b.date) return ascending ? a.date < b.date : a.date > b.date;
    return byName(a, b);
  };
  const auto sortBy = [this](auto less) { std::stable_sort(movies_.begin(), movies_.end(), less); };
  switch (sortType) {
    case 1:
      return sortBy(byName);
    case 2:
      return sortBy([&byName](const Movie& a, const Movie& b) { return byName(b, a); });
    case 3:
      return sortBy([&byDate](const Movie& a, const Movie& b) { return byDate(a, b, true); });
    case 4:
      return sortBy([&byDate](const Movie& a, const Movie& b) { return byDate(a, b, false); });
    case 5:
      return sortBy(
          [this](const Movie& a, const Movie& b) { return descriptionOf(a) < descriptionOf(b); });
    case 6:
      return sortBy(
          [this](const Movie& a, const Movie& b) { return descriptionOf(b) < descriptionOf(a); });
    default:
      return;
  }
}

// Collects output in one buffer and hands it to the kernel whenever it is full.
class BufferedFile {
 public:
  explicit BufferedFile(int fd) : fd_(fd), buffer_(kWriteBufferSize) {}

  void put(std::string_view text) {
    if (used_ + text.size() > buffer_.size()) flush();
    if (text.size() > buffer_.size()) {
      writeAll(text);
      return;
    }
    std::memcpy(buffer_.data() + used_, text.data(), text.size());
    used_ += text.size();
  }

  bool flush() {
    writeAll({buffer_.data(), used_});
    used_ = 0;
    return ok_;
  }

 private:
  void writeAll(std::string_view text) {
    while (ok_ && !text.empty()) {
      const ssize_t count = ::write(fd_, text.data(), text.size());
      ok_ = count > 0;
      if (ok_) text.remove_prefix(static_cast<std::size_t>(count));
    }
  }

  int fd_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

bool FloorScan::write() const {
  constexpr const char* kTemporary = ".recordings.epl.floor";
  const int out = ::openat(fd_, kTemporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return false;
  BufferedFile file(out);
  file.put("#NAME Aufgenommene Filme\n");
  for (const Movie& movie : movies_) {
    file.put("#SERVICE: 1:0:1:0:0:0:000000:0:0:0:");
    file.put(kPrefix);
    file.put(nameOf(movie));
    file.put("\n#DESCRIPTION: ");
    file.put(descriptionOf(movie));
    file.put("\n#TYPE 16385\n");
    file.put(kPrefix);
    file.put(nameOf(movie));
    file.put("\n");
  }
  bool written = file.flush() && ::fsync(out) == 0;
  written = ::close(out) == 0 && written;
  written = written && ::renameat(fd_, kTemporary, fd_, "recordings.epl") == 0;
  if (!written) {
    ::unlinkat(fd_, kTemporary, 0);
    return false;
  }
  ::fsync(fd_);  // the rename itself must survive a power cut, as the plug-in's does
  return true;
}

}  // namespace

long floorRebuild(const std::filesystem::path& root, int sortType) {
  const int fd = ::open((root / "hdd" / "movie").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  FloorScan scan(fd);
  long result = -1;
  if (scan.list()) {
    scan.describe();
    scan.sort(sortType);
    result = scan.size() == 0 || scan.write() ? static_cast<long>(scan.size()) : -1;
  }
  const int error = errno;
  ::close(fd);
  errno = error;
  return result;
}

}  // namespace bench
