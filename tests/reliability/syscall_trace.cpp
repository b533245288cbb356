#include "tests/reliability/syscall_trace.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string_view>

#include "tests/support/host_process.h"

namespace reliability {
namespace {

// Parses one line of strace's output, "name(arguments) = result"; false for the lines that
// report signals and the end of the process.
bool parseLine(std::string_view line, SystemCall& call) {
  const std::size_t open = line.find('(');
  const std::size_t equals = line.rfind(" = ");
  if (line.starts_with("+++") || line.starts_with("---") || open == std::string_view::npos ||
      equals == std::string_view::npos || equals < open) {
    return false;
  }
  const std::size_t close = line.rfind(')', equals);
  if (close == std::string_view::npos || close < open) return false;
  call.name = line.substr(0, open);
  call.arguments = line.substr(open + 1, close - open - 1);
  call.result = line.substr(equals + 3);
  return true;
}

std::string probeStrace() {
  if (std::string(QUILLON_STRACE).empty()) return "strace was not found when the tests were built";
  const HostRun run = runProgram(QUILLON_STRACE, {"-qq", "-o", "/dev/null", "--", "/bin/true"}, {});
  if (run.status != 0) return "strace cannot trace here (ptrace refused?): " + run.errors;
  return "";
}

}  // namespace

const std::string& whyStraceCannotRun() {
  static const std::string why = probeStrace();
  return why;
}

std::vector<SystemCall> recordSystemCalls(const std::vector<std::string>& command) {
  char traceName[] = "/tmp/quillon-trace.XXXXXX";
  const int fd = ::mkstemp(traceName);
  if (fd < 0) return {};
  ::close(fd);
  std::vector<std::string> arguments{"-qq", "-y", "-s", "32", "-o", traceName, "--"};
  arguments.insert(arguments.end(), command.begin(), command.end());
  runProgram(QUILLON_STRACE, arguments, {});

  std::vector<SystemCall> calls;
  std::map<std::string, int, std::less<>> counts;
  std::ifstream trace(traceName);
  for (std::string line; std::getline(trace, line);) {
    SystemCall call;
    if (!parseLine(line, call)) continue;
    call.ordinal = ++counts[call.name];
    calls.push_back(std::move(call));
  }
  ::unlink(traceName);
  return calls;
}

int runSignalledAt(const std::vector<std::string>& command, const SystemCall& call,
                   const std::string& signal) {
  std::vector<std::string> arguments{
      "-qq", "-o", "/dev/null",
      "--inject=" + call.name + ":signal=" + signal + ":when=" + std::to_string(call.ordinal),
      "--"};
  arguments.insert(arguments.end(), command.begin(), command.end());
  return runProgram(QUILLON_STRACE, arguments, {}).status;
}

std::string descriptorPath(const std::string& text) {
  const std::size_t open = text.find('<');
  const std::size_t close = text.find('>', open);
  if (open == std::string::npos || close == std::string::npos) return "";
  return text.substr(open + 1, close - open - 1);
}

}  // namespace reliability
