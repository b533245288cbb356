#include "tests/support/host_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& each : strings) result.push_back(each.data());
  result.push_back(nullptr);
  return result;
}

// An unlinked temporary file that takes one stream of the child, read back afresh through
// its descriptor's name.
using Capture = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::string readBack(const Capture& file) {
  const std::string path = "/proc/self/fd/" + std::to_string(fileno(file.get()));
  return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

}  // namespace

HostRun runProgram(const std::string& program, std::vector<std::string> arguments,
                   std::vector<std::string> environment, const ProgramStart& start) {
  arguments.insert(arguments.begin(), program);
  // The emulator that runs the target's programs when the tests run under one (CTest sets it
  // for a cross build), split into words; none when the program runs natively.
  const char* emulator = std::getenv("QUILLON_TEST_EMULATOR");
  std::istringstream words(emulator != nullptr ? emulator : "");
  arguments.insert(arguments.begin(), std::istream_iterator<std::string>(words), {});
  arguments.insert(arguments.begin(), start.wrapper.begin(), start.wrapper.end());
  const std::string& executable = arguments.front();
  Capture out(std::tmpfile(), &std::fclose), errors(std::tmpfile(), &std::fclose);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fileno(out.get()), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(errors.get()), STDERR_FILENO);
  if (!start.workingDirectory.empty())
    posix_spawn_file_actions_addchdir_np(&actions, start.workingDirectory.c_str());
  pid_t child = 0;
  int failed = posix_spawnp(&child, executable.c_str(), &actions, nullptr,
                            pointers(arguments).data(), pointers(environment).data());
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (failed != 0 || waitpid(child, &status, 0) != child)
    throw std::runtime_error("cannot run " + program);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), readBack(out),
          readBack(errors)};
}

std::vector<std::string> withoutProc() {
  return {"unshare", "--mount", "sh", "-c", "mount -t tmpfs -o size=64k none /proc && exec \"$@\"",
          "sh"};
}
