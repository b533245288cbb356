#include "runner/recordings_report.h"

#include <string>

namespace {

std::string movieCount(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " movie" : " movies");
}

}  // namespace

void writeReloadLine(std::ostream& out, const eZapMain& host) {
  out << "recordings reloaded: " << movieCount(host.recordings().size()) << '\n';
}

void writeRecordingsList(std::ostream& out, const eZapMain& host) {
  out << "recordings list";
  if (!host.listName().empty()) out << " \"" << host.listName() << '"';
  out << ": " << movieCount(host.recordings().size()) << '\n';
  for (const eZapMain::Recording& recording : host.recordings()) {
    out << "  " << recording.path << ": " << recording.description << '\n';
  }
}
