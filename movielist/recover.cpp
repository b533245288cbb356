#include "movielist/recover.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string_view>
#include <unordered_set>
#include <utility>

#include "host/ezapmain.h"
#include "host/receiver_fs.h"
#include "movielist/dirfiles.h"
#include "movielist/display_name.h"
#include "movielist/list_writer.h"
#include "movielist/sort.h"

namespace {

// A name that can stand in the list: it ends in ".ts" and fits on one line of the file.
bool isRecordingName(std::string_view name) {
  return name.ends_with(".ts") && name.find_first_of("\n\r") == std::string_view::npos;
}

// The modification time of the entry itself, when it is a recording: a file, or a link that
// leads to anything but a directory. A link is followed only when the entry is one.
bool recordingDate(const host::Directory& directory, const host::DirectoryEntry& entry,
                   std::int64_t& date) {
  struct stat status;
  if (entry.type == DT_DIR || directory.status(entry.name.c_str(), status, false) != 0) {
    return false;
  }
  date = status.st_mtim.tv_sec;
  if (S_ISLNK(status.st_mode) && directory.status(entry.name.c_str(), status, true) != 0) {
    return false;
  }
  return !S_ISDIR(status.st_mode);
}

class MovieScan {
 public:
  explicit MovieScan(const host::Directory& directory) : directory_(directory) {}

  // Lists the directory into `movies`; false when the listing itself fails.
  bool run(std::vector<DIRFILES>& movies) {
    if (!directory_.list(entries_)) return false;
    for (const host::DirectoryEntry& entry : entries_) {
      if (entry.name.ends_with(".eit")) eventFiles_.insert(entry.name);
    }
    for (const host::DirectoryEntry& entry : entries_) {
      std::int64_t date;
      if (isRecordingName(entry.name) && recordingDate(directory_, entry, date)) {
        movies.push_back(record(entry.name, date));
      }
    }
    return true;
  }

 private:
  DIRFILES record(const std::string& name, std::int64_t date) const {
    DIRFILES movie;
    movie.FullPath.reserve(std::string_view(kMovieDirectory).size() + 1 + name.size());
    movie.FullPath.append(kMovieDirectory).append("/").append(name);
    movie.FileName = name;
    movie.Description = describeRecording(movie.FullPath, name, eventFileReader(name));
    movie.FileDate = date;
    return movie;
  }

  // Reads the recording's event file, which is opened only when the listing shows one.
  EventFileReader eventFileReader(std::string_view name) const {
    std::string eventName = std::string(withoutTsSuffix(name)) + ".eit";
    if (!eventFiles_.contains(eventName)) {
      return [](std::span<std::byte>) -> ssize_t { return -1; };
    }
    return [this, eventName = std::move(eventName)](std::span<std::byte> buffer) {
      return directory_.readStart(eventName.c_str(), buffer);
    };
  }

  const host::Directory& directory_;
  std::vector<host::DirectoryEntry> entries_;
  std::unordered_set<std::string> eventFiles_;
};

}  // namespace

int recoverMovies(int sortType) {
  DirMovieFile.clear();
  host::Directory directory(kMovieDirectory);
  if (!directory.isOpen()) return 0;
  // A listing that breaks off would drop movies from the list: keep the old list instead.
  if (!MovieScan(directory).run(DirMovieFile)) {
    DirMovieFile.clear();
    return 0;
  }
  sortMovies(DirMovieFile, sortType);
  if (DirMovieFile.empty()) return 0;
  if (writeRecordingsList(kRecordingsList, DirMovieFile) != 0) return 0;
  eZapMain::instance()->loadRecordings(false);
  return 1;
}
