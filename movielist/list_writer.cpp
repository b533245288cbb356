#include "movielist/list_writer.h"

#include <cerrno>
#include <string>

#include "disk/file_failure.h"
#include "disk/receiver_fs.h"
#include "disk/replaced_file.h"
#include "host/ezapmain.h"

namespace {

constexpr std::string_view kHeader = "#NAME Aufgenommene Filme\n";
constexpr std::string_view kService = "#SERVICE: 1:0:1:0:0:0:000000:0:0:0:";
constexpr std::string_view kDescription = "\n#DESCRIPTION: ";
constexpr std::string_view kType = "\n#TYPE 16385\n";

// The stream is this thread's alone, so the lock each plain fwrite takes buys nothing.
void put(std::FILE* stream, std::string_view text) {
  ::fwrite_unlocked(text.data(), 1, text.size(), stream);
}

// The bytes printRecordingsList writes for `movies`.
std::size_t listSize(const std::vector<DIRFILES>& movies) {
  std::size_t size = kHeader.size();
  for (const DIRFILES& movie : movies) {
    size += kService.size() + kDescription.size() + kType.size() + 1 + 2 * movie.FullPath.size() +
            movie.Description.size();
  }
  return size;
}

}  // namespace

void printRecordingsList(std::FILE* stream, const std::vector<DIRFILES>& movies) {
  put(stream, kHeader);
  for (const DIRFILES& movie : movies) {
    put(stream, kService);
    put(stream, movie.FullPath);
    put(stream, kDescription);
    put(stream, movie.Description);
    put(stream, kType);
    put(stream, movie.FullPath);
    put(stream, "\n");
  }
}

int writeRecordingsList(std::string_view receiverPath, const std::vector<DIRFILES>& movies) {
  // A list the host would not read is not written: the old one stays in its place.
  if (movies.size() > eZapMain::kListEntryLimit || listSize(movies) > eZapMain::kListFileLimit) {
    disk::recordFileFailure(disk::receiverRoot(), receiverPath,
                            "would be more than the host reads (" +
                                std::to_string(eZapMain::kListEntryLimit) + " movies, " +
                                std::to_string(eZapMain::kListFileLimit >> 20) +
                                " MiB), and stays as it is",
                            0);
    errno = EFBIG;
    return -1;
  }
  disk::ReplacedFile file(disk::receiverRoot(), receiverPath);
  if (!file.isOpen()) return -1;
  printRecordingsList(file.stream(), movies);
  return file.commit();
}
