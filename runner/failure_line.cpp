#include "runner/failure_line.h"

#include "display/terminal_escape.h"

std::string failureLine(std::string_view task, const disk::FileFailure& failure) {
  std::string line = "quillon-host: ";
  line.append(task).append(": ").append(failure.path).append(": ").append(failure.reason());
  return escapeForTerminal(line);
}
