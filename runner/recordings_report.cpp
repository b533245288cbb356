#include "runner/recordings_report.h"

#include <string>

#include "display/terminal_escape.h"

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
  if (!host.listName().empty()) out << " \"" << escapeForTerminal(host.listName()) << '"';
  out << ": " << movieCount(host.recordings().size()) << '\n';
  for (const eZapMain::Recording& recording : host.recordings()) {
    out << "  " << escapeForTerminal(recording.path) << ": "
        << escapeForTerminal(recording.description) << '\n';
  }
}
