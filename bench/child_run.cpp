#include "bench/child_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

#include "bench/floor_rebuild.h"
#include "disk/receiver_fs.h"
#include "host/ezapmain.h"
#include "movielist/dirfiles.h"
#include "movielist/recover.h"

extern char** environ;

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kChildFlag = "--child";
constexpr std::string_view kLaunchFlag = "--launch";
constexpr std::string_view kLaunchReport = "quillon-bench launched:";
constexpr const char* kWorkNames[] = {"rebuild", "floor", "idle"};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The peak resident set of this program since it was started. getrusage would also count
// what the parent held when it started this process (Linux keeps the maximum across exec),
// so the kernel's high-water mark of the present address space is read instead.
long ownPeakKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  }
  return 0;
}

RunResult rebuild(const std::filesystem::path& root, int sortType) {
  disk::setReceiverRoot(root);
  // A running host holds the list of the last rebuild when the next one starts.
  eZapMain::instance()->loadRecordings(false);
  RunResult result;
  const Clock::time_point start = Clock::now();
  const int written = rebuildRecordingsList(sortType);
  const double total = secondsSince(start);
  result.peakKilobytes = ownPeakKilobytes();
  result.movies = written == 1 ? static_cast<long>(DirMovieFile.size()) : -1;
  // The reload that the rebuild requests is the host's work, not the rebuild's: it is timed
  // once more on its own, replacing a list as large as before, and taken off.
  const Clock::time_point reloadStart = Clock::now();
  eZapMain::instance()->loadRecordings(false);
  result.reloadSeconds = secondsSince(reloadStart);
  result.seconds = total - result.reloadSeconds;
  return result;
}

RunResult floor(const std::filesystem::path& root, int sortType) {
  RunResult result;
  const Clock::time_point start = Clock::now();
  result.movies = floorRebuild(root, sortType);
  result.seconds = secondsSince(start);
  result.peakKilobytes = ownPeakKilobytes();
  return result;
}

// Runs a program given by the benchmark, its output passed on, and reports on a last line its
// exit status, peak memory and time. The launcher is started fresh and small, so that the
// program's peak is its own and not that of the benchmark which has been holding whole lists.
int launch(std::span<char* const> programAndArguments) {
  std::string output;
  const std::vector<std::string> arguments(programAndArguments.begin() + 1,
                                           programAndArguments.end());
  const ProgramRun run = runProgram(programAndArguments[0], arguments, output);
  std::fwrite(output.data(), 1, output.size(), stdout);
  std::printf("\n%s %d %ld %.9f\n", std::string(kLaunchReport).c_str(), run.status,
              run.peakKilobytes, run.seconds);
  return 0;
}

RunResult idle() {
  RunResult result;
  result.movies = 0;
  result.peakKilobytes = ownPeakKilobytes();
  return result;
}

}  // namespace

ProgramRun runProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments, std::string& output) {
  ProgramRun run;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const Clock::time_point start = Clock::now();
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  char buffer[65536];
  for (ssize_t count; spawned == 0 && (count = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<std::size_t>(count));
  ::close(pipeFds[0]);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = secondsSince(start);
  run.peakKilobytes = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

RunResult runChild(Work work, const std::filesystem::path& root, int sortType) {
  std::string output;
  const ProgramRun run = runProgram(std::filesystem::read_symlink("/proc/self/exe"),
                                    {std::string(kChildFlag), kWorkNames[static_cast<int>(work)],
                                     root.string(), std::to_string(sortType)},
                                    output);
  RunResult result;
  std::istringstream fields(output);
  if (run.status != 0 || !(fields >> result.seconds >> result.reloadSeconds >>
                           result.peakKilobytes >> result.movies)) {
    result.movies = -1;
  }
  return result;
}

ProgramRun runMeasured(const std::filesystem::path& program,
                       const std::vector<std::string>& arguments, std::string& output) {
  std::vector<std::string> order{std::string(kLaunchFlag), program.string()};
  order.insert(order.end(), arguments.begin(), arguments.end());
  ProgramRun launcher = runProgram(std::filesystem::read_symlink("/proc/self/exe"), order, output);
  const std::size_t report = output.rfind(kLaunchReport);
  ProgramRun run;
  if (launcher.status != 0 || report == std::string::npos) return run;
  std::istringstream fields(output.substr(report + kLaunchReport.size()));
  if (!(fields >> run.status >> run.peakKilobytes >> run.seconds)) run = ProgramRun();
  output.resize(report);
  return run;
}

bool isChildOrder(std::span<char* const> arguments) {
  return (arguments.size() == 4 && arguments[0] == kChildFlag) ||
         (arguments.size() >= 2 && arguments[0] == kLaunchFlag);
}

int runChildOrder(std::span<char* const> arguments) {
  if (arguments[0] == kLaunchFlag) return launch(arguments.subspan(1));
  const std::string_view work = arguments[1];
  const std::filesystem::path root = arguments[2];
  const int sortType = std::atoi(arguments[3]);
  RunResult result;
  if (work == kWorkNames[0]) {
    result = rebuild(root, sortType);
  } else if (work == kWorkNames[1]) {
    result = floor(root, sortType);
  } else {
    result = idle();
  }
  std::printf("%.9f %.9f %ld %ld\n", result.seconds, result.reloadSeconds, result.peakKilobytes,
              result.movies);
  return result.movies < 0 ? 1 : 0;
}

}  // namespace bench
