// What one size of the benchmark measured, and the tables printed from it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <vector>

namespace bench {

// The times of one kind of run, one entry a run.
struct TimeSeries {
  std::vector<double> rebuildSeconds;  // without the host's reload
  std::vector<double> floorSeconds;
  std::vector<double> reloadSeconds;
};

struct SizeResult {
  std::size_t recordings = 0;
  TimeSeries warm;
  TimeSeries cold;                // empty unless the page cache was dropped before each run
  long rebuildPeakKilobytes = 0;  // the largest of the runs
  long floorPeakKilobytes = 0;
  std::optional<long> hostPeakKilobytes;  // quillon-host running the rebuild from its window
  bool identical = true;                  // every list of every run had the same bytes
};

double median(std::vector<double> values);

// The time table, the memory table and the target lines; `idleKilobytes` is the peak of a
// child that did nothing, taken off to give the memory per recording; `listLimitKilobytes` is
// quillon-host's peak loading the costliest list within the host's limits, when measured.
void printReport(std::FILE* out, const std::vector<SizeResult>& results, long idleKilobytes,
                 std::optional<long> listLimitKilobytes);

}  // namespace bench
