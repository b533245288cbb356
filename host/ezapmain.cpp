#include "host/ezapmain.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <utility>

#include "disk/file_failure.h"
#include "disk/line_reader.h"
#include "disk/receiver_fs.h"
#include "host/receiver_paths.h"
#include "host/recordings_list.h"

namespace {

// Reports that the list is read as empty, because of `why`.
void reportUnread(const disk::FileRoot& root, const std::string& why, int error) {
  disk::recordFileFailure(root, kRecordingsList, why + ", and is read as empty", error);
  disk::reportFailure("load");
}

}  // namespace

eZapMain* eZapMain::instance() {
  static eZapMain mainWindow;
  return &mainWindow;
}

void eZapMain::loadRecordings(bool /*save*/) {
  recordings_ = std::vector<Recording>();  // the old list goes before the new one is read
  listName_ = eString();
  const disk::FileRoot& root = disk::receiverRoot();
  RecordingsListParser list;
  if (!disk::readFileLines(root, kRecordingsList, kListFileLimit,
                           [&list](std::string_view line) { list.take(line); })) {
    const int error = errno;
    if (error == EFBIG) {
      reportUnread(
          root,
          "is larger than the " + std::to_string(kListFileLimit >> 20) + " MiB the host reads", 0);
    } else if (error != ENOENT) {
      reportUnread(root, "cannot be read", error);
    }
  } else if (list.tooManyEntries()) {
    reportUnread(
        root,
        "holds more than " + std::to_string(kListEntryLimit) + " movies, the most the host reads",
        0);
  } else {
    listName_ = list.listName();
    recordings_ = std::move(list).recordings();
  }
  if (observer_) observer_(*this);
}

void eZapMain::onRecordingsLoaded(std::function<void(const eZapMain&)> observer) {
  observer_ = std::move(observer);
}
