// How quillon-host says what went wrong: the one error convention of the program.
//
// A step that can fail returns Outcome<T>: the value it makes, or the Failure that ends the
// run: the line that tells the user why (without "quillon-host: " and the line's end) and the
// exit status. No step prints its own failure: tell() prints it, escaped for the terminal, where
// a run ends (runProgram and runHost, runner/host_run.h). Notices, such as the shape of disk a
// run took, go to standard error as they happen; so do the host's own failures (failureLine).
// Below the program, the disk library keeps its own convention (-1 or false with errno).
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "disk/file_failure.h"

// Exit statuses besides the plug-in's own result.
inline constexpr int kExitNotWritten = 1;      // --rebuild: the list was not written
inline constexpr int kExitBadCommandLine = 2;  // or a path that cannot serve, or no plug-in
inline constexpr int kExitKeysEnded = 3;

struct Failure {
  explicit Failure(std::string why, int exitStatus = kExitBadCommandLine, bool pointToHelp = false)
      : line(std::move(why)), status(exitStatus), tryHelp(pointToHelp) {}

  std::string line;
  int status;
  bool tryHelp;  // a mistake in the command line: the user is pointed to --help
};

template <class T>
class [[nodiscard]] Outcome {
 public:
  Outcome(T value) : state_(std::move(value)) {}
  Outcome(Failure failure) : state_(std::move(failure)) {}

  explicit operator bool() const { return state_.index() == 0; }
  T& operator*() { return std::get<0>(state_); }
  const T& operator*() const { return std::get<0>(state_); }
  T* operator->() { return &std::get<0>(state_); }
  const Failure& failure() const { return std::get<1>(state_); }

 private:
  std::variant<T, Failure> state_;
};

// Writes "quillon-host: LINE" and, for a mistake in the command line, where help is; returns
// the failure's exit status.
int tell(const Failure& failure, std::ostream& errors);

// The outcome's value, or the status after telling its failure.
inline int statusOf(Outcome<int> outcome, std::ostream& errors) {
  return outcome ? *outcome : tell(outcome.failure(), errors);
}

// "'PATH'", escaped for the terminal.
std::string quoted(const std::filesystem::path& path);

// The one line on which quillon-host tells why a task of the host failed:
//
//   quillon-host: rebuild: /srv/receiver/hdd/movie: no recordings
//   quillon-host: setting: /home/ann/enigma.conf: may not be written: Permission denied
//
// the task, the file or folder as found on this machine, and the reason; escaped for the
// terminal, without its line break.
std::string failureLine(std::string_view task, const disk::FileFailure& failure);
