#include "movielist/recover.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/atomic_file.h"
#include "host/ezapmain.h"
#include "host/receiver_fs.h"
#include "host/temporary_lock.h"
#include "movielist/dirfiles.h"
#include "movielist/display_name.h"
#include "movielist/list_writer.h"
#include "movielist/sort.h"

namespace {

constexpr std::string_view kListName = "recordings.epl";
static_assert(std::string_view(kRecordingsList).ends_with(kListName) &&
              std::string_view(kRecordingsList).size() ==
                  std::string_view(kMovieDirectory).size() + 1 + kListName.size());

// A name that can stand in the list: it ends in ".ts" and fits on one line of the file.
bool isRecordingName(std::string_view name) {
  return name.ends_with(".ts") && name.find_first_of("\n\r") == std::string_view::npos;
}

// The modification time of the entry itself, when it is a recording: a file, or a link that
// leads to anything but a directory. A link is followed only when the entry is one.
bool recordingDate(const host::Directory& directory, const char* name, std::int64_t& date) {
  struct stat status;
  if (directory.status(name, status, false) != 0) return false;
  date = status.st_mtim.tv_sec;
  if (S_ISLNK(status.st_mode) && directory.status(name, status, true) != 0) return false;
  return !S_ISDIR(status.st_mode);
}

// One pass over the movie directory records every entry that may be a recording; of the event
// files it keeps only a hash of their stems (two stems that hash alike cost no more than an
// open that fails, as it does for any recording without an event file). Then each candidate
// is dated and named in turn: its status query and its event file come one after the other,
// which the kernel serves faster than the same calls spread over the listing. The same pass
// notes the list's temporary files, which a crash or a power cut may have left.
class MovieScan {
 public:
  explicit MovieScan(const host::Directory& directory) : directory_(directory) {}

  // Lists the directory into `movies`; false when the listing itself fails.
  bool run(std::vector<DIRFILES>& movies) {
    if (!directory_.forEachEntry([this, &movies](std::string_view name, unsigned char type) {
          take(name, type, movies);
        })) {
      return false;
    }
    std::sort(eventStems_.begin(), eventStems_.end());
    std::size_t kept = 0;
    for (DIRFILES& movie : movies) {
      if (!recordingDate(directory_, movie.FileName.c_str(), movie.FileDate)) continue;
      movie.Description =
          describeRecording(movie.FullPath, movie.FileName, eventFileReader(movie.FileName));
      if (&movie != &movies[kept]) movies[kept] = std::move(movie);
      ++kept;
    }
    movies.erase(movies.begin() + static_cast<std::ptrdiff_t>(kept), movies.end());
    return true;
  }

  // The temporary files of the list that the listing saw.
  const std::vector<std::string>& listTemporaries() const { return listTemporaries_; }

 private:
  void take(std::string_view name, unsigned char type, std::vector<DIRFILES>& movies) {
    if (name.ends_with(".eit")) {
      eventStems_.push_back(stemKey(name.substr(0, name.size() - 4), type != DT_REG));
    } else if (type != DT_DIR && isRecordingName(name)) {
      add(name, movies);
    } else if (host::AtomicFile::isTemporaryName(name, kListName)) {
      listTemporaries_.emplace_back(name);
    }
  }

  static void add(std::string_view name, std::vector<DIRFILES>& movies) {
    constexpr std::string_view kDirectory(kMovieDirectory);
    DIRFILES& movie = movies.emplace_back();
    movie.FullPath.reserve(kDirectory.size() + 1 + name.size());
    movie.FullPath.append(kDirectory).append("/").append(name);
    movie.FileName.assign(name);
  }

  // A stem's hash, its lowest bit telling whether the listing showed anything but a regular
  // file (a link, a FIFO, or no type at all), whose type must be checked before an open.
  std::size_t stemKey(std::string_view stem, bool checkFirst) const {
    return (hash_(stem) & ~std::size_t{1}) | (checkFirst ? 1 : 0);
  }

  // Reads the recording's event file, which is opened only when the listing shows one.
  EventFileReader eventFileReader(std::string_view name) {
    const std::string_view stem = withoutTsSuffix(name);
    const std::size_t regular = stemKey(stem, false);
    auto found = std::lower_bound(eventStems_.begin(), eventStems_.end(), regular);
    if (found == eventStems_.end() || (*found | 1) != (regular | 1)) {
      return [](std::span<std::byte>) -> ssize_t { return -1; };
    }
    eventType_ = *found == regular && (found + 1 == eventStems_.end() || found[1] != (regular | 1))
                     ? DT_REG
                     : DT_UNKNOWN;
    eventName_.assign(stem).append(".eit");
    return [this](std::span<std::byte> buffer) {
      return directory_.readStart(eventName_.c_str(), eventType_, buffer);
    };
  }

  const host::Directory& directory_;
  std::hash<std::string_view> hash_;
  std::vector<std::size_t> eventStems_;   // sorted once the listing is complete
  std::string eventName_;                 // the event file of the recording being described
  unsigned char eventType_ = DT_UNKNOWN;  // its type as the listing gives it
  std::vector<std::string> listTemporaries_;
};

// Removes the list's temporary files that a crash left; one that another rebuild (on this
// machine, or on another sharing the disk) is still writing stays.
void removeAbandonedListTemporaries(const host::Directory& directory,
                                    const std::vector<std::string>& names) {
  for (const std::string& name : names)
    host::removeAbandonedTemporaryFile(directory.fd(), name.c_str());
}

}  // namespace

int recoverMovies(int sortType) {
  DirMovieFile.clear();
  host::Directory directory(kMovieDirectory);
  if (!directory.isOpen()) return 0;
  // A listing that breaks off would drop movies from the list: keep the old list instead.
  MovieScan scan(directory);
  if (!scan.run(DirMovieFile)) {
    DirMovieFile.clear();
    return 0;
  }
  removeAbandonedListTemporaries(directory, scan.listTemporaries());
  sortMovies(DirMovieFile, sortType);
  if (DirMovieFile.empty()) return 0;
  if (writeRecordingsList(kRecordingsList, DirMovieFile) != 0) return 0;
  eZapMain::instance()->loadRecordings(false);
  return 1;
}
