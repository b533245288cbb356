// How quillon-host starts, wherever it is run: no library comes from the working directory.
#include <gmock/gmock.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/receiver_builder.h"
#include "tests/support/files.h"
#include "tests/support/host_process.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kHost = QUILLON_HOST_PATH;
// Closes the About box, moves down to the rebuild (the window stores the sort order on the way),
// runs it and closes everything.
constexpr const char* kRebuildKeys = "exit down down ok ok exit exit";
constexpr const char* kPlanted = "planted library loaded";

// The descriptions of the list written on `root`, in its order.
std::vector<std::string> listedDescriptions(const fixtures::ReceiverRoot& root) {
  std::vector<std::string> descriptions;
  std::istringstream list(root.readRecordingsList().value_or(""));
  constexpr std::string_view kField = "#DESCRIPTION: ";
  for (std::string line; std::getline(list, line);) {
    if (line.starts_with(kField)) descriptions.push_back(line.substr(kField.size()));
  }
  return descriptions;
}

// Mends a fault: the build tree's quillon-host had the RUNPATH "<build>/host:", whose empty
// element the loader reads as the working directory, searched before the system's libraries:
// `cd /mnt/receiver && quillon-host --root .` ran the code of a crafted disk's libutf8proc.so.2.
// A search path that names the working directory shows that the planted library would say so.
TEST(ProgramStart, LoadsNoLibraryFromTheWorkingDirectory) {
  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  root.recording("a.ts", 100);
  fs::copy_file(QUILLON_PLANTED_LIBRARY, root.root() / "libutf8proc.so.2");
  const HostRun run =
      runProgram(kHost, {"--root", ".", "--keys", kRebuildKeys}, {}, {root.root(), {}});
  EXPECT_EQ(0, run.status) << run.errors;
  EXPECT_THAT(run.errors, Not(HasSubstr(kPlanted)));
  EXPECT_EQ(std::vector<std::string>{"a"}, listedDescriptions(root));

  const HostRun searching = runProgram(kHost, {"--root", ".", "--keys", kRebuildKeys},
                                       {"LD_LIBRARY_PATH=."}, {root.root(), {}});
  EXPECT_THAT(searching.errors, HasSubstr(kPlanted));
}

}  // namespace
