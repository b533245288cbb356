#include "movielist/list_writer.h"

#include "host/atomic_file.h"
#include "host/receiver_fs.h"

namespace {

// The stream is this thread's alone, so the lock each plain fwrite takes buys nothing.
void put(std::FILE* stream, std::string_view text) {
  ::fwrite_unlocked(text.data(), 1, text.size(), stream);
}

}  // namespace

void printRecordingsList(std::FILE* stream, const std::vector<DIRFILES>& movies) {
  put(stream, "#NAME Aufgenommene Filme\n");
  for (const DIRFILES& movie : movies) {
    put(stream, "#SERVICE: 1:0:1:0:0:0:000000:0:0:0:");
    put(stream, movie.FullPath);
    put(stream, "\n#DESCRIPTION: ");
    put(stream, movie.Description);
    put(stream, "\n#TYPE 16385\n");
    put(stream, movie.FullPath);
    put(stream, "\n");
  }
}

int writeRecordingsList(std::string_view receiverPath, const std::vector<DIRFILES>& movies) {
  host::AtomicFile file(host::receiverRoot(), receiverPath);
  if (!file.isOpen()) return -1;
  printRecordingsList(file.stream(), movies);
  return file.commit();
}
