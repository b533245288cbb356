// How quillon-host starts, wherever it is run: no library comes from the working directory; it
// finds its own files without /proc and never guesses where it lies; and in a mount namespace
// without /proc, as in a chroot without one, it reads its settings and event files and rebuilds
// as anywhere else.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/event_builder.h"
#include "fixtures/receiver_builder.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

using e2e::kHost;
using e2e::runKeys;
// Closes the About box, moves down to the rebuild (the window stores the sort order on the way),
// runs it and closes everything.
constexpr const char* kRebuildKeys = "exit down down ok ok exit exit";
constexpr const char* kPlanted = "planted library loaded";

// Mends a fault: the build tree's quillon-host had the RUNPATH "<build>/host:", whose empty
// element the loader reads as the working directory, searched before the system's libraries:
// `cd /mnt/receiver && quillon-host --root .` ran the code of a crafted disk's libutf8proc.so.2.
// A search path that names the working directory shows that the planted library would say so.
TEST(ProgramStart, LoadsNoLibraryFromTheWorkingDirectory) {
  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  root.recording("a.ts", 100);
  fs::copy_file(QUILLON_PLANTED_LIBRARY, root.root() / "libutf8proc.so.2");
  const HostRun run = runKeys(".", kRebuildKeys, {}, {root.root(), {}});
  EXPECT_EQ(0, run.status) << run.errors;
  EXPECT_THAT(run.errors, Not(HasSubstr(kPlanted)));

  const HostRun searching = runKeys(".", kRebuildKeys, {"LD_LIBRARY_PATH=."}, {root.root(), {}});
  EXPECT_THAT(searching.errors, HasSubstr(kPlanted));
}

// Mends faults: without /proc the checked reopen through /proc/self/fd failed with ENOENT, so
// that the store took its file for absent (and its first setting replaced the whole file) and
// event files lost their names; and quillon-host, unable to read /proc/self/exe, looked for its
// plug-in in the working directory.
TEST(ProgramStart, WorksWithoutProc) {
  if (::geteuid() != 0) GTEST_SKIP() << "a mount namespace needs root";
  if (kNoRunWithoutProc != nullptr) GTEST_SKIP() << kNoRunWithoutProc;
  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  const auto event = [](const char* title) {
    return fixtures::EventBuilder().shortEvent("deu", fixtures::dvbText(title), {}).bytes();
  };
  root.recording("b.ts", 200, event("Bravo"));
  root.recording("c.ts", 300);
  root.file("c-event", event("Charlie"));
  root.symlink("c.eit", "/hdd/movie/c-event", 300);
  const fs::path config = root.root() / "etc" / "enigma" / "config";
  fs::create_directories(config.parent_path());
  // Another program's key, and the sort order by file name, descending.
  const std::string settings =
      "/enigma/plugins/other/volume=7\n/enigma/plugins/quillon/filesort=2\n";
  std::ofstream(config) << settings;

  const HostRun run = runKeys(root.root(), kRebuildKeys, {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"},
                              {root.root(), withoutProc()});
  EXPECT_EQ(0, run.status) << run.errors;
  EXPECT_EQ(e2e::takenLine(root.root()), run.errors);
  EXPECT_EQ((std::vector<std::string>{"Charlie", "Bravo"}),
            e2e::listed(root.readRecordingsList(), "#DESCRIPTION: "));
  EXPECT_EQ(settings, testsupport::contents(config));
}

// Runs quillon-host headless on `root` as started from a descriptor that closes as it starts
// (fexecve of a close-on-exec descriptor: its path is "/dev/fd/N", which then leads nowhere),
// with /proc or in a mount namespace of its own without it; its status and standard error.
HostRun startedFromADescriptor(const fs::path& root, bool withProc) {
  const fs::path errors = root / "errors";
  HostRun run;
  run.status = testsupport::resultInChild([&] {
    if (!withProc && (::unshare(CLONE_NEWNS) != 0 ||
                      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                      ::mount("none", "/proc", "tmpfs", 0, "size=64k") != 0))
      return 99;
    // Far above any descriptor the program opens before it asks where it lies.
    const int program = ::fcntl(::open(kHost.c_str(), O_RDONLY | O_CLOEXEC), F_DUPFD_CLOEXEC, 100);
    ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
    ::dup2(::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
    std::string words[] = {"quillon-host", "--root", root.string(), "--keys", "exit exit exit"};
    char* arguments[] = {words[0].data(), words[1].data(), words[2].data(),
                         words[3].data(), words[4].data(), nullptr};
    char* environment[] = {nullptr};
    ::fexecve(program, arguments, environment);
    return 127;
  });
  run.errors = testsupport::contents(errors).value_or("");
  return run;
}

// Started from a descriptor that is closed by now, the program still finds itself through /proc;
// without /proc it cannot tell where it lies, says so and ends with status 2, where it once took
// the working directory for its own.
TEST(ProgramStart, StartedFromAClosedDescriptorFindsItselfThroughProcOrSaysItCannot) {
  if (std::getenv("QUILLON_TEST_EMULATOR") != nullptr)
    GTEST_SKIP() << "under the emulator the program's path is an argument of the emulator's";
  const fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  const HostRun withProc = startedFromADescriptor(root.root(), true);
  EXPECT_EQ(0, withProc.status) << withProc.errors;
  EXPECT_EQ(e2e::takenLine(root.root()), withProc.errors);

  if (::geteuid() != 0) GTEST_SKIP() << "without /proc: a mount namespace needs root";
  if (kNoRunWithoutProc != nullptr) GTEST_SKIP() << "without /proc: " << kNoRunWithoutProc;
  const HostRun withoutProc = startedFromADescriptor(root.root(), false);
  EXPECT_EQ(2, withoutProc.status);
  EXPECT_EQ(
      "quillon-host: cannot tell where this program lies, so its plug-in and files cannot be "
      "found: No such file or directory\n",
      withoutProc.errors);
}

}  // namespace
