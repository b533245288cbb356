// quillon-bench: times the rebuild of the recordings list against its floor on receiver roots
// of many recordings, checks that both write the same list, and reports peak memory: of the
// rebuild in a process of its own and of quillon-host running it from the settings window.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_options.h"
#include "bench/bench_report.h"
#include "bench/bench_roots.h"
#include "bench/child_run.h"
#include "fixtures/list_builder.h"
#include "fixtures/receiver_builder.h"
#include "host/ezapmain.h"

namespace {

using bench::Options;
using bench::RunResult;
using bench::SizeResult;
using bench::Work;

// The settings window's rows: cursor on the sort row, then the check row, then "Start
// Movie-Recovering"; ok starts the rebuild and closes its result box, exit closes the window,
// and ok closes the About box shown before and after it.
constexpr const char* kRebuildKeys = "ok down down ok ok exit ok";

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path defaultHost() {
#ifdef QUILLON_HOST_PROGRAM
  if (std::filesystem::exists(QUILLON_HOST_PROGRAM)) return QUILLON_HOST_PROGRAM;
#endif
  return {};
}

// quillon-host's peak memory while it runs the rebuild from its window, or nothing when it
// did not run as it should.
std::optional<long> hostPeak(const std::filesystem::path& host, const std::filesystem::path& root,
                             std::size_t movies, int sortType) {
  const std::filesystem::path config = root / "bench-host.conf";
  std::ofstream(config, std::ios::trunc) << "/enigma/plugins/quillon/filesort=" << sortType << "\n";
  std::string output;
  const bench::ProgramRun run = bench::runMeasured(
      host, {"--root", root.string(), "--config", config.string(), "--keys", kRebuildKeys}, output);
  const std::string reloaded = "recordings reloaded: " + std::to_string(movies) + " movies";
  if (run.status == 0 && output.find(reloaded) != std::string::npos) return run.peakKilobytes;
  std::fprintf(stderr, "quillon-bench: %s exited with %d without \"%s\"; its output ends:\n%s\n",
               host.c_str(), run.status, reloaded.c_str(),
               output.substr(output.size() - std::min<std::size_t>(output.size(), 2000)).c_str());
  return std::nullopt;
}

// quillon-host's peak memory while it loads the costliest list within the host's limits: as
// many entries as it reads, each as large as the byte limit allows and shaped to cost the most
// memory a byte can (fixtures/list_builder.h). Nothing when it did not load them all.
std::optional<long> listLimitPeak(const std::filesystem::path& host,
                                  const std::filesystem::path& cache) {
  const std::filesystem::path root = cache / "list-at-the-limits";
  const fixtures::ReceiverRoot disk(root);
  constexpr std::size_t kEntries = eZapMain::kListEntryLimit;
  fixtures::writeLargeRecordingsList(disk.recordingsList(), kEntries,
                                     eZapMain::kListFileLimit / kEntries);
  std::string output;
  const bench::ProgramRun run =
      bench::runMeasured(host,
                         {"--root", root.string(), "--config", (root / "bench-host.conf").string(),
                          "--keys", "exit exit exit"},
                         output);
  std::filesystem::remove(disk.recordingsList());
  const std::string loaded = "recordings list: " + std::to_string(kEntries) + " movies";
  if (run.status == 0 && output.find(loaded) != std::string::npos) return run.peakKilobytes;
  std::fprintf(stderr, "quillon-bench: %s exited with %d without \"%s\"\n", host.c_str(),
               run.status, loaded.c_str());
  return std::nullopt;
}

// Writes back what is dirty and drops the clean page cache, dentries and inodes, so that the
// next run reads the disk as the first rebuild after a receiver boots does. False, with errno,
// where this process may not (it takes root).
bool dropPageCache() {
  ::sync();
  const int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool dropped = ::write(fd, "3", 1) == 1;
  const int error = errno;
  ::close(fd);
  errno = error;
  return dropped;
}

class SizeBench {
 public:
  SizeBench(const Options& options, std::filesystem::path root, std::size_t recordings)
      : options_(options),
        root_(std::move(root)),
        list_(root_ / "hdd" / "movie" / "recordings.epl") {
    result_.recordings = recordings;
  }

  // False when the rebuild itself failed, so that there is nothing to compare.
  bool run(const std::filesystem::path& host) {
    // The first run of each side warms the cache and gives the list all others must match.
    const RunResult first = bench::runChild(Work::Rebuild, root_, options_.sortType);
    if (first.movies < 0) return false;
    movies_ = first.movies;
    reference_ = readFile(list_);
    check(bench::runChild(Work::Floor, root_, options_.sortType));
    timeRuns(bench::runsFor(options_, result_.recordings), result_.warm, false);
    if (options_.cold)
      timeRuns(bench::coldRunsFor(options_, result_.recordings), result_.cold, true);
    if (!host.empty()) {
      result_.hostPeakKilobytes =
          hostPeak(host, root_, static_cast<std::size_t>(movies_), options_.sortType);
      result_.identical = result_.identical && readFile(list_) == reference_;
    }
    return true;
  }

  const SizeResult& result() const { return result_; }

 private:
  void timeRuns(int runs, bench::TimeSeries& times, bool cold) {
    for (int run = 0; run < runs; ++run) {
      // Which side goes first alternates, so that neither always runs after the other.
      timeOnce(run % 2 == 0 ? Work::Rebuild : Work::Floor, times, cold);
      timeOnce(run % 2 == 0 ? Work::Floor : Work::Rebuild, times, cold);
    }
  }

  void timeOnce(Work work, bench::TimeSeries& times, bool cold) {
    if (cold && !dropPageCache())
      throw std::runtime_error(std::string("cannot drop the page cache: ") + std::strerror(errno));
    const RunResult run = bench::runChild(work, root_, options_.sortType);
    check(run);
    if (work == Work::Rebuild) {
      times.rebuildSeconds.push_back(run.seconds);
      times.reloadSeconds.push_back(run.reloadSeconds);
      result_.rebuildPeakKilobytes = std::max(result_.rebuildPeakKilobytes, run.peakKilobytes);
    } else {
      times.floorSeconds.push_back(run.seconds);
      result_.floorPeakKilobytes = std::max(result_.floorPeakKilobytes, run.peakKilobytes);
    }
  }

  void check(const RunResult& run) {
    result_.identical = result_.identical && run.movies == movies_ && readFile(list_) == reference_;
  }

  const Options& options_;
  std::filesystem::path root_;
  std::filesystem::path list_;
  SizeResult result_;
  long movies_ = 0;
  std::string reference_;
};

int runBench(Options options) {
  if (options.cold && !dropPageCache()) {
    std::fprintf(stderr,
                 "quillon-bench: the page cache cannot be dropped (%s; it takes root): the "
                 "cold-cache runs are left out\n",
                 std::strerror(errno));
    options.cold = false;
  }
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  const std::filesystem::path cache =
      options.cache.empty() ? self.parent_path() / "roots" : options.cache;
  const std::filesystem::path host = options.withHost
                                         ? (options.host.empty() ? defaultHost() : options.host)
                                         : std::filesystem::path();
  if (options.withHost && host.empty())
    std::fprintf(stderr, "quillon-bench: quillon-host is not built; its memory is not measured\n");
  std::printf("quillon-bench: sort type %d\n", options.sortType);
  std::vector<SizeResult> results;
  for (std::size_t recordings : options.sizes) {
    std::fprintf(stderr, "quillon-bench: %zu recordings: preparing the root\n", recordings);
    SizeBench size(options, bench::cachedBenchRoot(cache, recordings), recordings);
    std::fprintf(stderr, "quillon-bench: %zu recordings: measuring\n", recordings);
    if (!size.run(host)) {
      std::fprintf(stderr, "quillon-bench: the rebuild of %zu recordings failed\n", recordings);
      return 1;
    }
    results.push_back(size.result());
  }
  const long idle = bench::runChild(Work::Idle, cache, options.sortType).peakKilobytes;
  std::optional<long> listLimit;
  if (!host.empty()) {
    std::fprintf(stderr, "quillon-bench: a list at the host's limits: measuring\n");
    listLimit = listLimitPeak(host, cache);
  }
  bench::printReport(stdout, results, idle, listLimit);
  const bool allIdentical = std::all_of(results.begin(), results.end(),
                                        [](const SizeResult& result) { return result.identical; });
  return allIdentical ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::span<char* const> arguments(argv + 1, static_cast<std::size_t>(argc - 1));
  if (bench::isChildOrder(arguments)) return bench::runChildOrder(arguments);
  std::string error;
  const std::vector<std::string> words(arguments.begin(), arguments.end());
  if (words.size() == 1 && (words[0] == "-h" || words[0] == "--help")) {
    std::fputs(bench::usage().c_str(), stdout);
    return 0;
  }
  const std::optional<Options> options = bench::parseOptions(words, error);
  if (!options) {
    std::fprintf(stderr, "quillon-bench: %s\n%s", error.c_str(), bench::usage().c_str());
    return 2;
  }
  try {
    return runBench(*options);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "quillon-bench: %s\n", failure.what());
    return 1;
  }
}
