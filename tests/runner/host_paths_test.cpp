// runHost with paths that cannot serve, where only a process of its own can set the scene: a
// working directory that was removed, a directory this user may not search. Each is exit 2
// with a message naming the path and the reason, never an exception.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>

#include "fixtures/receiver_builder.h"
#include "runner/host_run.h"
#include "tests/support/child_process.h"

namespace {

namespace fs = std::filesystem;

// In a child process: `prepare`, then runHost headless on `root` and `config`; 0 when it ends
// with status 2 and exactly `message` on its error stream, 1 (after printing what came)
// otherwise.
int exitsWith(const fs::path& root, const fs::path& config, const std::string& message,
              const std::function<bool()>& prepare) {
  return testsupport::resultInChild([&] {
    if (!prepare()) return 99;
    HostOptions options;
    options.root = root;
    options.config = config;
    options.keys.emplace();
    std::ostringstream out;
    std::ostringstream errors;
    const int status = runHost(options, out, errors);
    if (status == 2 && errors.str() == "quillon-host: " + message + "\n" && out.str().empty())
      return 0;
    std::fprintf(stderr, "status %d, errors: %s", status, errors.str().c_str());
    return 1;
  });
}

// Mends a fault: a relative --root or --config after the working directory was removed ended
// in an uncaught filesystem_error ("terminate called", status 134).
TEST(HostPaths, ARelativePathWithoutAWorkingDirectoryIsExitTwo) {
  const fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  const fs::path gone = root.root() / "gone";
  const auto leaveWorkingDirectory = [&gone] {
    return fs::create_directory(gone) && ::chdir(gone.c_str()) == 0 && ::rmdir(gone.c_str()) == 0;
  };
  EXPECT_EQ(0,
            exitsWith("disk", "", "receiver root 'disk' cannot be used: No such file or directory",
                      leaveWorkingDirectory));
  EXPECT_EQ(0, exitsWith(root.root(), "store",
                         "configuration file 'store' cannot be used: No such file or directory",
                         leaveWorkingDirectory));
}

// Mends a fault: a --root or --config under a directory the user may not search ended in an
// uncaught filesystem_error. Root searches anything, so the child runs as nobody.
TEST(HostPaths, APathUnderADirectoryThatCannotBeSearchedIsExitTwo) {
  const fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  const fs::path locked = root.root() / "locked";
  fs::create_directories(locked / "disk");
  fs::permissions(locked, fs::perms::none);
  const auto asSomeoneElse = [] { return ::geteuid() != 0 || ::setuid(65534) == 0; };
  EXPECT_EQ(0, exitsWith(locked / "disk", "",
                         "receiver root '" + (locked / "disk").string() +
                             "' cannot be used: Permission denied",
                         asSomeoneElse));
  EXPECT_EQ(
      0, exitsWith(root.root(), locked / "disk" / "store",
                   "the directory of configuration file '" + (locked / "disk" / "store").string() +
                       "' cannot be used: Permission denied",
                   asSomeoneElse));
  fs::permissions(locked, fs::perms::owner_all);
}

}  // namespace
