#include "host/ezapmain.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/line_reader.h"
#include "host/receiver_fs.h"

namespace {

constexpr std::string_view kListFile = "/hdd/movie/recordings.epl";
// Far above any real list: 100,000 recordings take about 20 MB.
constexpr std::size_t kListLimit = std::size_t{64} << 20;

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
    if (stage_ != Stage::Outside) {
      entry_.path = eString(path);
      recordings_.push_back(std::move(entry_));
    }
    stage_ = Stage::Outside;
  }

  Stage stage_ = Stage::Outside;
  eZapMain::Recording entry_;
  eString listName_;
  std::vector<eZapMain::Recording> recordings_;
};

}  // namespace

std::vector<eZapMain::Recording> readRecordingsList(const RecordingsListSource& readLines,
                                                    eString& listName) {
  RecordingsListParser parser;
  if (!readLines([&parser](std::string_view line) { parser.take(line); })) {
    listName = eString();
    return {};
  }
  listName = parser.listName();
  return std::move(parser).recordings();
}

eZapMain* eZapMain::instance() {
  static eZapMain mainWindow;
  return &mainWindow;
}

void eZapMain::loadRecordings(bool /*save*/) {
  recordings_ = std::vector<Recording>();  // the old list goes before the new one is read
  recordings_ = readRecordingsList(
      [](const host::LineVisitor& take) {
        return host::readFileLines(host::receiverRoot(), kListFile, kListLimit, take);
      },
      listName_);
  ++reloadCount_;
  if (observer_) observer_(*this);
}

void eZapMain::onRecordingsLoaded(std::function<void(const eZapMain&)> observer) {
  observer_ = std::move(observer);
}
