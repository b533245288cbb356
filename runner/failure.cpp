#include "runner/failure.h"

#include "display/terminal_escape.h"

int tell(const Failure& failure, std::ostream& errors) {
  errors << "quillon-host: " << escapeForTerminal(failure.line) << '\n';
  if (failure.tryHelp) errors << "Try 'quillon-host --help'.\n";
  return failure.status;
}

std::string quoted(const std::filesystem::path& path) {
  return "'" + escapeForTerminal(path.native()) + "'";
}

std::string failureLine(std::string_view task, const disk::FileFailure& failure) {
  std::string line = "quillon-host: ";
  line.append(task).append(": ").append(failure.path).append(": ").append(failure.reason());
  return escapeForTerminal(line);
}
