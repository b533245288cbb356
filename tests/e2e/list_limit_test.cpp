// The host's limits on a recordings list, met by quillon-host under a memory limit: a list within
// both (its bytes and its entries) is read, whatever its entries look like; a list over either
// is told on standard error and read as empty, and the host goes on to its window, where a
// rebuild replaces it. The memory limit is RLIMIT_DATA (qemu-user will not start under
// RLIMIT_AS); the sanitizers' runtimes need more than it allows, so their builds leave this out.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "fixtures/list_builder.h"
#include "fixtures/receiver_builder.h"
#include "host/ezapmain.h"
#include "tests/support/child_process.h"
#include "tests/support/host_process.h"

namespace {

// What the host may take for the largest list within its limits.
constexpr rlim_t kMemoryLimit = rlim_t{256} << 20;

// A list of `bytes` that is one "#NAME " line.
void writeNameOf(const std::filesystem::path& list, std::size_t bytes) {
  std::ofstream(list) << "#NAME " << std::string(bytes - 7, 'n') << "\n";
}

// Mends a fault: a list within the byte limit made of small entries (5.6 million of 12 bytes)
// took 791 MB to load; under a smaller limit every start ended in bad_alloc, before the window
// that could rebuild the list.
TEST(ListLimits, AListWithinBothIsReadAndOneOverEitherIsToldAndReadAsEmpty) {
  constexpr std::size_t kBytes = eZapMain::kListFileLimit;
  constexpr std::size_t kEntries = eZapMain::kListEntryLimit;
  const struct {
    const char* what;
    std::function<void(const std::filesystem::path&)> write;
    std::string told;  // empty: read
  } cases[] = {
      {"at both limits, every entry as costly as one can be",
       [](const auto& list) {
         fixtures::writeLargeRecordingsList(list, kEntries, kBytes / kEntries);
       },
       ""},
      {"one entry too many",
       [](const auto& list) {
         fixtures::writeLargeRecordingsList(list, kEntries + 1, fixtures::kSmallestEntryBytes);
       },
       "holds more than 500000 movies, the most the host reads, and is read as empty"},
      {"all of the bytes in the smallest entries",
       [](const auto& list) {
         fixtures::writeLargeRecordingsList(list, kBytes / fixtures::kSmallestEntryBytes,
                                            fixtures::kSmallestEntryBytes);
       },
       "holds more than 500000 movies, the most the host reads, and is read as empty"},
      {"at the byte limit", [](const auto& list) { writeNameOf(list, kBytes); }, ""},
      {"one byte too many", [](const auto& list) { writeNameOf(list, kBytes + 1); },
       "is larger than the 64 MiB the host reads, and is read as empty"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
    root.recording("a.ts", 100);
    each.write(root.recordingsList());
    // Read, it is the list of the end of the run; told, the rebuild replaces it.
    const bool read = each.told.empty();
    const std::string keys = read ? "" : "exit down down ok ok exit exit";
    std::string errors =
        "quillon-host: taking '" + root.root().string() + "' as a receiver's whole root\n";
    errors +=
        read ? "quillon-host: the key script ended while message box \"About...\" was "
               "waiting for a key\n"
             : "quillon-host: load: " + root.recordingsList().string() + ": " + each.told + "\n";
    const int differs = testsupport::resultInChild(
        [&] {
          const rlimit memory{kMemoryLimit, kMemoryLimit};
          if (::setrlimit(RLIMIT_DATA, &memory) != 0) return 100;
          const HostRun run =
              runProgram(QUILLON_HOST_PATH, {"--root", root.root().string(), "--keys", keys}, {});
          if (run.errors != errors) std::fprintf(stderr, "standard error: %s", run.errors.c_str());
          const bool rebuilt = run.out.find("recordings reloaded: 1 movie\n") != std::string::npos;
          return (run.status == (read ? 3 : 0) ? 0 : 1) | (run.errors == errors ? 0 : 2) |
                 (read || rebuilt ? 0 : 4);
        },
        300);
    EXPECT_EQ(0, differs) << "1: the exit status, 2: standard error, 4: the rebuild";
  }
}

}  // namespace
