#include "bench/bench_report.h"

#include <algorithm>

namespace bench {
namespace {

constexpr std::size_t kTargetRecordings = 100000;
constexpr double kTargetRatio = 1.15;
constexpr double kTargetHostMegabytes = 64;
constexpr double kTargetListLimitMegabytes = 256;

double megabytes(long kilobytes) {
  return static_cast<double>(kilobytes) * 1024 / 1e6;
}

// Bytes of peak memory per recording beyond what an idle child holds.
double bytesPerRecording(long kilobytes, long idleKilobytes, std::size_t recordings) {
  return static_cast<double>(kilobytes - idleKilobytes) * 1024 / static_cast<double>(recordings);
}

void printTimes(std::FILE* out, const std::vector<SizeResult>& results,
                TimeSeries SizeResult::*series) {
  std::fprintf(out, "%10s %5s %11s %9s %14s %15s %13s %15s  %s\n", "recordings", "runs",
               "rebuild ms", "floor ms", "rebuild/floor", "rebuild us/rec", "floor us/rec",
               "host reload ms", "lists");
  for (const SizeResult& result : results) {
    const TimeSeries& times = result.*series;
    const double rebuild = median(times.rebuildSeconds);
    const double floor = median(times.floorSeconds);
    const double perRecording = 1e6 / static_cast<double>(result.recordings);
    std::fprintf(out, "%10zu %5zu %11.1f %9.1f %14.3f %15.2f %13.2f %15.1f  %s\n",
                 result.recordings, times.rebuildSeconds.size(), rebuild * 1e3, floor * 1e3,
                 rebuild / floor, rebuild * perRecording, floor * perRecording,
                 median(times.reloadSeconds) * 1e3, result.identical ? "identical" : "DIFFERENT");
  }
}

void printMemory(std::FILE* out, const std::vector<SizeResult>& results, long idleKilobytes) {
  std::fprintf(out, "%10s %11s %14s %9s %12s %16s\n", "recordings", "rebuild MB", "rebuild B/rec",
               "floor MB", "floor B/rec", "quillon-host MB");
  for (const SizeResult& result : results) {
    std::fprintf(out, "%10zu %11.1f %14.0f %9.1f %12.0f", result.recordings,
                 megabytes(result.rebuildPeakKilobytes),
                 bytesPerRecording(result.rebuildPeakKilobytes, idleKilobytes, result.recordings),
                 megabytes(result.floorPeakKilobytes),
                 bytesPerRecording(result.floorPeakKilobytes, idleKilobytes, result.recordings));
    if (result.hostPeakKilobytes) {
      std::fprintf(out, " %16.1f\n", megabytes(*result.hostPeakKilobytes));
    } else {
      std::fprintf(out, " %16s\n", "-");
    }
  }
}

double ratio(const TimeSeries& times) {
  return median(times.rebuildSeconds) / median(times.floorSeconds);
}

void printTargets(std::FILE* out, const SizeResult& result) {
  const double warmRatio = ratio(result.warm);
  std::fprintf(out, "target: rebuild/floor at %zu recordings %.3f <= %.2f: %s\n", result.recordings,
               warmRatio, kTargetRatio, warmRatio <= kTargetRatio ? "met" : "MISSED");
  if (result.hostPeakKilobytes) {
    const double host = megabytes(*result.hostPeakKilobytes);
    std::fprintf(out, "target: quillon-host peak at %zu recordings %.1f MB <= %.0f MB: %s\n",
                 result.recordings, host, kTargetHostMegabytes,
                 host <= kTargetHostMegabytes ? "met" : "MISSED");
  }
  if (!result.cold.rebuildSeconds.empty()) {
    std::fprintf(out, "cold cache: rebuild/floor at %zu recordings %.3f (no target)\n",
                 result.recordings, ratio(result.cold));
  }
}

}  // namespace

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printReport(std::FILE* out, const std::vector<SizeResult>& results, long idleKilobytes,
                 std::optional<long> listLimitKilobytes) {
  std::fprintf(out, "\nTime: medians of alternating runs, warm cache\n");
  printTimes(out, results, &SizeResult::warm);
  if (!results.empty() && !results.front().cold.rebuildSeconds.empty()) {
    std::fprintf(out, "\nTime: medians of alternating runs, cold cache (dropped before each)\n");
    printTimes(out, results, &SizeResult::cold);
  }
  std::fprintf(out, "\nPeak memory (maximum resident set; B/rec beyond an idle child of %.1f MB)\n",
               megabytes(idleKilobytes));
  printMemory(out, results, idleKilobytes);
  std::fprintf(out, "\n");
  for (const SizeResult& result : results) {
    if (result.recordings == kTargetRecordings) printTargets(out, result);
  }
  if (listLimitKilobytes) {
    const double peak = megabytes(*listLimitKilobytes);
    std::fprintf(out,
                 "target: quillon-host peak loading the costliest list within the host's limits "
                 "%.1f MB <= %.0f MB: %s\n",
                 peak, kTargetListLimitMegabytes,
                 peak <= kTargetListLimitMegabytes ? "met" : "MISSED");
  }
}

}  // namespace bench
