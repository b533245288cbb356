// One rebuild of the recordings list, or one write of the configuration store, in a process of
// its own: the program that the system-call tests record, kill and interrupt.
//
//   rebuild-once ROOT list              rebuilds ROOT/hdd/movie/recordings.epl
//   rebuild-once ROOT config KEY VALUE  stores KEY=VALUE in ROOT/config
//
// Exits 0 when the file was written, 1 when it was not, 2 on a bad command line.
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "disk/receiver_fs.h"
#include "host/econfig.h"
#include "movielist/recover.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  disk::setReceiverRoot(argv[1]);
  const std::string_view what = argv[2];
  if (what == "list" && argc == 3) return rebuildRecordingsList(0) == 1 ? 0 : 1;
  if (what != "config" || argc != 5) return 2;
  eConfig::instance()->open(std::filesystem::path(argv[1]) / "config");
  return eConfig::instance()->setKey(argv[3], std::atoi(argv[4])) == 0 ? 0 : 1;
}
