// Runs quillon-host as a separate process, as a person or a script would: given arguments and
// environment, it yields the exit status and everything written to standard output and error.
#pragma once

#include <string>
#include <vector>

struct HostRun {
  int status = -1;
  std::string out;
  std::string errors;
};

// Runs `program` with `arguments` in an environment of exactly `environment` ("NAME=value"),
// with no standard input.
HostRun runProgram(const std::string& program, std::vector<std::string> arguments,
                   std::vector<std::string> environment);
