#include "movielist/recover.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "disk/case_folding.h"
#include "disk/file_failure.h"
#include "disk/receiver_fs.h"
#include "disk/replaced_file.h"
#include "host/ezapmain.h"
#include "movielist/dirfiles.h"
#include "movielist/display_name.h"
#include "movielist/event_files.h"
#include "movielist/list_writer.h"
#include "movielist/sort.h"

namespace {

// The list's own name in the movie directory, where its temporaries stand beside it.
constexpr std::string_view kListName =
    std::string_view(kRecordingsList).substr(std::string_view(kMovieDirectory).size() + 1);
static_assert(std::string_view(kRecordingsList).starts_with(kMovieDirectory));

// A name that can stand in the list: it ends in ".ts" and fits on one line of the file.
bool isRecordingName(std::string_view name) {
  return name.ends_with(".ts") && name.find_first_of("\n\r") == std::string_view::npos;
}

// The modification time of the entry itself, when it is a recording: a file, or a link that
// leads to anything but a directory. A link is followed only when the entry is one.
bool recordingDate(const disk::Directory& directory, const char* name, std::int64_t& date) {
  struct stat status;
  if (directory.status(name, status, false) != 0) return false;
  date = status.st_mtim.tv_sec;
  if (S_ISLNK(status.st_mode) && directory.status(name, status, true) != 0) return false;
  return !S_ISDIR(status.st_mode);
}

// One pass over the movie directory records every entry that may be a recording, and which of
// them the listing shows an event file for. Then each candidate is dated and named in turn: its
// status query and its event file come one after the other, which the kernel serves faster than
// the same calls spread over the listing. The same pass notes the list's temporary files, which
// a crash or a power cut may have left.
class MovieScan {
 public:
  explicit MovieScan(const disk::Directory& directory)
      : directory_(directory), names_(directory), eventFiles_(disk::namesMayFoldCase(directory)) {}

  // Lists the directory into `movies`; false when the listing itself fails.
  bool run(std::vector<DIRFILES>& movies) {
    if (!directory_.forEachEntry([this, &movies](std::string_view name, unsigned char type) {
          take(name, type, movies);
        })) {
      return false;
    }
    eventFiles_.complete();
    std::size_t kept = 0;
    for (DIRFILES& movie : movies) {
      if (!recordingDate(directory_, movie.FileName.c_str(), movie.FileDate)) continue;
      movie.Description =
          names_.describe(movie.FullPath, movie.FileName, eventFiles_.listing(movie.FileName));
      if (&movie != &movies[kept]) movies[kept] = std::move(movie);
      ++kept;
    }
    movies.erase(movies.begin() + static_cast<std::ptrdiff_t>(kept), movies.end());
    return true;
  }

  // The temporary files of the list that the listing saw.
  const disk::TemporarySweep& listTemporaries() const { return listTemporaries_; }

 private:
  void take(std::string_view name, unsigned char type, std::vector<DIRFILES>& movies) {
    eventFiles_.add(name);
    if (type != DT_DIR && isRecordingName(name)) {
      add(name, movies);
    } else {
      listTemporaries_.notice(name);
    }
  }

  static void add(std::string_view name, std::vector<DIRFILES>& movies) {
    constexpr std::string_view kDirectory(kMovieDirectory);
    DIRFILES& movie = movies.emplace_back();
    movie.FullPath.reserve(kDirectory.size() + 1 + name.size());
    movie.FullPath.append(kDirectory).append("/").append(name);
    movie.FileName.assign(name);
  }

  const disk::Directory& directory_;
  const RecordingNamer names_;
  EventFileIndex eventFiles_;
  disk::TemporarySweep listTemporaries_{kListName};
};

// Records that the movie directory failed the rebuild; 0.
int failed(std::string_view operation, int error) {
  disk::recordFileFailure(disk::receiverRoot(), kMovieDirectory, operation, error);
  return 0;
}

// The rebuild; 0 with the reason recorded when it fails.
int rebuildList(int sortType) {
  DirMovieFile.clear();
  disk::Directory directory(disk::receiverRoot(), kMovieDirectory);
  if (!directory.isOpen()) return failed("cannot be opened", errno);
  // A listing that breaks off would drop movies from the list: keep the old list instead.
  MovieScan scan(directory);
  if (!scan.run(DirMovieFile)) {
    failed("cannot be listed to its end", errno);
    DirMovieFile.clear();
    return 0;
  }
  // What a crash left of the list goes; what another rebuild (on this machine, or on another
  // sharing the disk) is still writing stays.
  scan.listTemporaries().removeAbandoned(directory);
  sortMovies(DirMovieFile, sortType);
  if (DirMovieFile.empty()) return failed("no recordings", 0);
  if (writeRecordingsList(kRecordingsList, DirMovieFile) != 0) return 0;
  eZapMain::instance()->loadRecordings(false);
  return 1;
}

}  // namespace

// The rebuild's budget: at 100,000 recordings it takes at most 1.15 times its floor (a rebuild
// that makes only the system calls any rebuild must, bench/floor_rebuild.cpp), and quillon-host
// running it peaks at 64 MB at most; `./dev bench` measures both and says whether they are met.
// What keeps it there, each explained where it is made:
// - one pass over the listing, then each candidate dated and named in turn (MovieScan); the
//   listing's type drops a directory without a status query, and only a link is followed;
// - the event-file index of hashes (event_files.h), so that only a listed event file costs an
//   open, and the table of file-system types that may fold case (disk/case_folding.cpp),
//   which finds where a listing cannot tell; an event file is read in one call;
// - what every recording shares found once (RecordingNamer), and the DVB text decoder's
//   ASCII path, which opens no converter for plain ASCII (dvbtext/dvbtext.cpp);
// - the sort of indices, whose permutation then moves each record once, with no buffer of
//   half the list (sort.cpp);
// - the list written with fwrite_unlocked into a 128 KiB buffer (list_writer.cpp).
// The event file's type check before its open costs time that any safe rebuild, the floor
// too, must spend.
int rebuildRecordingsList(int sortType) {
  disk::clearFileFailure();
  const int written = rebuildList(sortType);
  if (written == 0) disk::reportFailure("rebuild");
  return written;
}
