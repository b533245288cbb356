#include "host/ezapmain.h"
#include "host/receiver_paths.h"

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "disk/file_failure.h"
#include "disk/line_reader.h"
#include "disk/receiver_fs.h"

namespace {

// The text after `tag` (which ends in a blank) when `line` is that kind of line; a line of
// the tag alone, its blank lost to an editor, counts too.
std::optional<std::string_view> tagged(std::string_view line, std::string_view tag) {
  if (line.starts_with(tag)) return line.substr(tag.size());
  if (line == tag.substr(0, tag.size() - 1)) return std::string_view();
  return std::nullopt;
}

// Reads a list line by line. An entry is a "#SERVICE: " line, optionally "#DESCRIPTION: "
// and "#TYPE " in that order, and a path line; anything else inside an entry drops it.
class RecordingsListParser {
 public:
  void take(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (const auto name = tagged(line, "#NAME ")) {
      listName_ = eString(*name);
      stage_ = Stage::Outside;
    } else if (const auto service = tagged(line, "#SERVICE: ")) {
      entry_ = eZapMain::Recording{eString(*service), {}, {}};
      stage_ = Stage::AfterService;
    } else if (const auto description = tagged(line, "#DESCRIPTION: ")) {
      takeDescription(*description);
    } else if (tagged(line, "#TYPE ")) {
      takeType();
    } else if (line.empty() || line.front() == '#') {
      stage_ = Stage::Outside;
    } else {
      takePath(line);
    }
  }

  std::vector<eZapMain::Recording> recordings() && { return std::move(recordings_); }
  const eString& listName() const { return listName_; }
  bool tooManyEntries() const { return tooManyEntries_; }

 private:
  enum class Stage { Outside, AfterService, AfterDescription, AfterType };

  void takeDescription(std::string_view description) {
    if (stage_ != Stage::AfterService) {
      stage_ = Stage::Outside;
      return;
    }
    entry_.description = eString(description);
    stage_ = Stage::AfterDescription;
  }

  void takeType() {
    const bool inPlace = stage_ == Stage::AfterService || stage_ == Stage::AfterDescription;
    stage_ = inPlace ? Stage::AfterType : Stage::Outside;
  }

  void takePath(std::string_view path) {
    if (stage_ != Stage::Outside && recordings_.size() == eZapMain::kListEntryLimit) {
      // What is read so far goes at once; what follows is only counted past.
      tooManyEntries_ = true;
      recordings_ = std::vector<eZapMain::Recording>();
    } else if (stage_ != Stage::Outside && !tooManyEntries_) {
      entry_.path = eString(path);
      recordings_.push_back(std::move(entry_));
    }
    stage_ = Stage::Outside;
  }

  Stage stage_ = Stage::Outside;
  eZapMain::Recording entry_;
  eString listName_;
  std::vector<eZapMain::Recording> recordings_;
  bool tooManyEntries_ = false;
};

// Reports that the list is read as empty, because of `why`.
void reportUnread(const disk::FileRoot& root, const std::string& why, int error) {
  disk::recordFileFailure(root, kRecordingsList, why + ", and is read as empty", error);
  disk::reportFailure("load");
}

}  // namespace

ListReading readRecordingsList(const RecordingsListSource& readLines,
                               std::vector<eZapMain::Recording>& recordings, eString& listName) {
  RecordingsListParser parser;
  const bool read = readLines([&parser](std::string_view line) { parser.take(line); });
  if (!read || parser.tooManyEntries()) {
    recordings.clear();
    listName = eString();
    return read ? ListReading::TooManyEntries : ListReading::Unreadable;
  }
  listName = parser.listName();
  recordings = std::move(parser).recordings();
  return ListReading::Read;
}

eZapMain* eZapMain::instance() {
  static eZapMain mainWindow;
  return &mainWindow;
}

void eZapMain::loadRecordings(bool /*save*/) {
  recordings_ = std::vector<Recording>();  // the old list goes before the new one is read
  const disk::FileRoot& root = disk::receiverRoot();
  int readError = 0;
  const ListReading reading = readRecordingsList(
      [&root, &readError](const disk::LineVisitor& take) {
        const bool read = disk::readFileLines(root, kRecordingsList, kListFileLimit, take);
        readError = read ? 0 : errno;
        return read;
      },
      recordings_, listName_);
  if (reading == ListReading::TooManyEntries) {
    reportUnread(
        root,
        "holds more than " + std::to_string(kListEntryLimit) + " movies, the most the host reads",
        0);
  } else if (reading == ListReading::Unreadable && readError == EFBIG) {
    reportUnread(
        root, "is larger than the " + std::to_string(kListFileLimit >> 20) + " MiB the host reads",
        0);
  } else if (reading == ListReading::Unreadable && readError != ENOENT) {
    reportUnread(root, "cannot be read", readError);
  }
  ++reloadCount_;
  if (observer_) observer_(*this);
}

void eZapMain::onRecordingsLoaded(std::function<void(const eZapMain&)> observer) {
  observer_ = std::move(observer);
}
