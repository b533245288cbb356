#include "host/recordings_list.h"

#include <optional>
#include <utility>

namespace {

// The text after `tag` (which ends in a blank) when `line` is that kind of line; a line of
// the tag alone, its blank lost to an editor, counts too.
std::optional<std::string_view> tagged(std::string_view line, std::string_view tag) {
  if (line.starts_with(tag)) return line.substr(tag.size());
  if (line == tag.substr(0, tag.size() - 1)) return std::string_view();
  return std::nullopt;
}

}  // namespace

void RecordingsListParser::take(std::string_view line) {
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

void RecordingsListParser::takeDescription(std::string_view description) {
  if (stage_ != Stage::AfterService) {
    stage_ = Stage::Outside;
    return;
  }
  entry_.description = eString(description);
  stage_ = Stage::AfterDescription;
}

void RecordingsListParser::takeType() {
  const bool inPlace = stage_ == Stage::AfterService || stage_ == Stage::AfterDescription;
  stage_ = inPlace ? Stage::AfterType : Stage::Outside;
}

void RecordingsListParser::takePath(std::string_view path) {
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
