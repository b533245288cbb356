// One measured run in a process of its own, so that its peak memory is its own: the benchmark
// starts itself again with a work order, and the child reports its time and peak memory.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace bench {

enum class Work {
  Rebuild,  // the plug-in's rebuild, rebuildRecordingsList, with the host's list loaded before it
            // and the reload it requests
  Floor,    // floorRebuild
  Idle,     // nothing: the memory every child has before it starts work
};

struct RunResult {
  double seconds = 0;        // the work, without the host's reload of the list
  double reloadSeconds = 0;  // the host's reload of the written list (Rebuild only)
  long peakKilobytes = 0;    // the child's maximum resident set while working
  long movies = -1;          // movies listed; -1 when the work failed
};

// Runs `work` on the receiver `root` in a child process of this program.
RunResult runChild(Work work, const std::filesystem::path& root, int sortType);

// The child's side: true when `arguments` (after the program name) are a work order, which
// has then been carried out and reported on standard output.
bool isChildOrder(std::span<char* const> arguments);
int runChildOrder(std::span<char* const> arguments);

// Runs a program with `arguments`, its standard output collected into `output`; returns its
// exit status (-1 when it could not run or died of a signal), time and peak memory. The peak
// includes what this process held when it started the program.
struct ProgramRun {
  int status = -1;
  long peakKilobytes = 0;
  double seconds = 0;
};
ProgramRun runProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments, std::string& output);
// The same, started through a fresh launcher process, so that the peak is the program's own.
ProgramRun runMeasured(const std::filesystem::path& program,
                       const std::vector<std::string>& arguments, std::string& output);

}  // namespace bench
