#include "runner/failure_line.h"

#include "runner/terminal_escape.h"

std::string failureLine(std::string_view task, const host::FileFailure& failure) {
  std::string line = "quillon-host: ";
  line.append(task).append(": ").append(failure.path).append(": ").append(failure.reason());
  return escapeForTerminal(line);
}
