// Watches and interrupts a program at its system calls with strace: records the calls a run
// makes, and runs it again with a signal delivered on entering one chosen call. A call is
// named as strace's injection names it: the system call and its ordinal among the process's
// calls of that name. strace follows the program it starts; under an emulator it would trace
// the emulator instead, so there these tests are left out.
#pragma once

#include <string>
#include <vector>

namespace reliability {

struct SystemCall {
  std::string name;       // "openat"
  int ordinal;            // 1 for the process's first call of this name
  std::string arguments;  // as strace prints them; descriptors carry their paths ("3</a/b>")
  std::string result;     // "3</a/b>", "0", "-1 ENOSPC (No space left on device)"
};

// Why the strace tests cannot run here (no strace, an emulator, tracing refused); empty when
// they can.
const std::string& whyStraceCannotRun();

// The system calls of one run of `command` (the program's path first), in order.
std::vector<SystemCall> recordSystemCalls(const std::vector<std::string>& command);

// Runs `command` under strace with `signal` ("KILL", "INT") delivered on entering `call`; the
// program's exit code, or 128 plus the number of the signal that ended it.
int runSignalledAt(const std::vector<std::string>& command, const SystemCall& call,
                   const std::string& signal);

// The path a descriptor argument or result carries ("3</a/b>" gives "/a/b"); empty if none.
std::string descriptorPath(const std::string& text);

}  // namespace reliability
