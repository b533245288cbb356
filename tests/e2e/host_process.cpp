#include "tests/e2e/host_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& each : strings) result.push_back(each.data());
  result.push_back(nullptr);
  return result;
}

// An unlinked temporary file that takes one stream of the child; read back afterwards.
class Capture {
 public:
  Capture() : file_(std::tmpfile()) {
    if (file_ == nullptr) throw std::runtime_error("no temporary file for the output");
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  ~Capture() { std::fclose(file_); }

  int fd() const { return fileno(file_); }
  std::string text() const {
    std::string result;
    std::rewind(file_);
    char buffer[4096];
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, file_))
      result.append(buffer, count);
    return result;
  }

 private:
  std::FILE* file_;
};

}  // namespace

HostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> envp = environment;
  Capture out;
  Capture errors;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.fd(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errors.fd(), STDERR_FILENO);
  pid_t child = 0;
  int failed = posix_spawn(&child, program.c_str(), &actions, nullptr, pointers(argv).data(),
                           pointers(envp).data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + program);

  int status = 0;
  if (waitpid(child, &status, 0) != child) throw std::runtime_error("lost " + program);
  HostRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = out.text();
  run.errors = errors.text();
  return run;
}
