// The host's limits on a recordings list, met by quillon-host under a memory limit: a list within
// both (its bytes and its entries) is read, whatever its entries look like; a list over either
// is told on standard error and read as empty, and the host goes on to its window, where a
// rebuild replaces it. The memory limit is RLIMIT_DATA (qemu-user will not start under
// RLIMIT_AS); the sanitizers' runtimes need more than it allows, so their builds leave this out.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fixtures/list_builder.h"
#include "fixtures/receiver_builder.h"
#include "host/ezapmain.h"
#include "tests/e2e/e2e_support.h"

namespace {

// Runs the program (or its emulator) with the data segment limited to what the host may take
// for the largest list within its limits, 256 MiB.
const ProgramStart kUnderMemoryLimit = {"", {"sh", "-c", "ulimit -d 262144 && exec \"$@\"", "sh"}};
// An emulator needs more than the limit for itself: under one, the limits of the list are checked
// without the memory bar.
const ProgramStart kStart =
    std::getenv("QUILLON_TEST_EMULATOR") ? ProgramStart{} : kUnderMemoryLimit;

// Mends a fault: a list within the byte limit made of small entries (5.6 million of 12 bytes)
// took 791 MB to load; under a smaller limit every start ended in bad_alloc, before the window
// that could rebuild the list.
TEST(ListLimits, AListWithinBothIsReadAndOneOverEitherIsToldAndReadAsEmpty) {
  constexpr std::size_t kBytes = eZapMain::kListFileLimit;
  constexpr std::size_t kEntries = eZapMain::kListEntryLimit;
  constexpr std::size_t kSmallest = fixtures::kSmallestEntryBytes;
  const std::string tooMany =
      "holds more than 500000 movies, the most the host reads, and is read as empty";
  const struct {
    const char* what;
    std::size_t entries;  // 0: one "#NAME " line
    std::size_t bytes;    // of each entry
    std::string told;     // empty: read
  } cases[] = {
      {"at both limits, every entry as costly as one can be", kEntries, kBytes / kEntries, ""},
      {"one entry too many", kEntries + 1, kSmallest, tooMany},
      {"all of the bytes in the smallest entries", kBytes / kSmallest, kSmallest, tooMany},
      {"at the byte limit", 0, kBytes, ""},
      {"one byte too many", 0, kBytes + 1,
       "is larger than the 64 MiB the host reads, and is read as empty"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
    root.recording("a.ts", 100);
    if (each.entries == 0) {
      std::ofstream(root.recordingsList()) << "#NAME " << std::string(each.bytes - 7, 'n') << "\n";
    } else {
      fixtures::writeLargeRecordingsList(root.recordingsList(), each.entries, each.bytes);
    }
    // Read, it is the list of the end of the run; told, the rebuild replaces it.
    const bool read = each.told.empty();
    const std::string keys = read ? "" : "exit down down ok ok exit exit";
    const std::string errors =
        e2e::takenLine(root.root()) +
        (read ? "quillon-host: the key script ended while message box \"About...\" was "
                "waiting for a key\n"
              : "quillon-host: load: " + root.recordingsList().string() + ": " + each.told + "\n");
    const HostRun run = e2e::runKeys(root.root(), keys, {}, kStart);
    EXPECT_EQ(read ? 3 : 0, run.status);
    EXPECT_EQ(errors, run.errors);
    if (!read) {
      EXPECT_NE(std::string::npos, run.out.find("recordings reloaded: 1 movie\n")) << run.out;
    }
  }
}

}  // namespace
