// exit-status-reporter REPORT PROGRAM [ARGUMENT...]: runs PROGRAM in the terminal it is given,
// writes its process id to REPORT.pid and, when it has ended, the status a shell would show for
// it to REPORT (128 plus the signal's number where a signal ended it). It ignores the terminal's
// SIGINT itself, as a shell does while it waits for a command, so that Ctrl-C reaches only the
// program.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: exit-status-reporter REPORT PROGRAM [ARGUMENT...]\n", stderr);
    return 2;
  }
  ::signal(SIGINT, SIG_IGN);
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGINT, SIG_DFL);
    ::execv(argv[2], argv + 2);
    ::_exit(127);
  }
  if (child < 0) return 1;
  std::ofstream(std::string(argv[1]) + ".pid") << child << '\n';
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return 1;
  std::ofstream(argv[1]) << (WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status))
                         << '\n';
  return 0;
}
