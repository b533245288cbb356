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

// How a program is started besides its arguments and environment.
struct ProgramStart {
  std::string workingDirectory;      // the test's own when empty
  std::vector<std::string> wrapper;  // words run first, natively, given the program (and its
                                     // emulator) and arguments as the rest of their command line
};

// Runs `program` with `arguments` in an environment of exactly `environment` ("NAME=value"),
// with no standard input.
HostRun runProgram(const std::string& program, std::vector<std::string> arguments,
                   std::vector<std::string> environment, const ProgramStart& start = {});

// A wrapper that runs the program in a mount namespace of its own with an empty tmpfs over
// /proc, as in a chroot without /proc, while the test stays outside; it needs root and the
// environment's PATH to find mount. A program built with the sanitizers cannot run there:
// their runtime reads its options from /proc, and LeakSanitizer lists the threads in it.
std::vector<std::string> withoutProc();
#if defined(__SANITIZE_ADDRESS__)
inline constexpr const char* kNoRunWithoutProc =
    "the sanitizers' runtime reads its options and the threads from /proc";
#else
inline constexpr const char* kNoRunWithoutProc = nullptr;
#endif
