// runHost with paths that cannot serve, where only a process of its own can set the scene: a
// working directory that was removed, a directory this user may not search. Each is exit 2
// with a message naming the path and the reason, never an exception. And where the settings of
// a receiver's hard disk go, down to a user with no home at all.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "fixtures/receiver_builder.h"
#include "runner/host_run.h"
#include "runner/receiver_disk.h"
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

// A hard disk's settings: quillon/config in XDG_CONFIG_HOME when that is an absolute path, else
// in ~/.config after HOME, else after the password database's home; none without a home.
TEST(HostPaths, AHardDisksSettingsAreTheUsersOwn) {
  const struct {
    const char* configHome;
    const char* home;
    const char* passwordHome;
    std::optional<fs::path> file;
  } cases[] = {
      {"/xdg", "/home/u", "/pw", "/xdg/quillon/config"},
      {"xdg", "/home/u", "/pw", "/home/u/.config/quillon/config"},
      {"", "/home/u", "/pw", "/home/u/.config/quillon/config"},
      {nullptr, "/home/u", "/pw", "/home/u/.config/quillon/config"},
      {nullptr, nullptr, "/pw", "/pw/.config/quillon/config"},
      {"", "", "/pw", "/pw/.config/quillon/config"},
      {nullptr, "home", "/pw", "/pw/.config/quillon/config"},
      {nullptr, nullptr, "", std::nullopt},
      {nullptr, nullptr, nullptr, std::nullopt},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(std::string(each.configHome ? each.configHome : "(unset)") + ", " +
                 (each.home ? each.home : "(unset)") + ", " +
                 (each.passwordHome ? each.passwordHome : "(none)"));
    EXPECT_EQ(each.file, userConfigFile(each.configHome, each.home, each.passwordHome));
  }
}

// A user with no home at all (no XDG_CONFIG_HOME, no HOME, no entry in the password database)
// keeps the settings of a hard disk for the run, and is told so.
TEST(HostPaths, WithoutAHomeAHardDisksSettingsLiveForTheRun) {
  constexpr uid_t kNobodyKnown = 54321;
  if (::geteuid() != 0) GTEST_SKIP() << "only root can become a user with no home";
  if (::getpwuid(kNobodyKnown) != nullptr) GTEST_SKIP() << "user " << kNobodyKnown << " exists";
  const fixtures::ReceiverRoot holder = fixtures::ReceiverRoot::temporary();
  const fs::path disk = holder.root() / "disk";
  fs::create_directories(disk / "movie");
  fs::permissions(holder.root(),
                  fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const std::string expected = "quillon-host: taking '" + disk.string() +
                               "' as a receiver's hard disk, mounted at /hdd\n"
                               "quillon-host: no home directory to keep settings in "
                               "(XDG_CONFIG_HOME and HOME are not set, and the password database "
                               "names none); settings changed in this run are kept for this run "
                               "only\n";
  EXPECT_EQ(0, testsupport::resultInChild([&] {
              if (::clearenv() != 0 || ::setuid(kNobodyKnown) != 0) return 99;
              HostOptions options;
              options.root = disk;
              options.rebuild = true;
              options.plugin = disk / "no-plugin.so";
              std::ostringstream out;
              std::ostringstream errors;
              runHost(options, out, errors);
              if (errors.str().starts_with(expected)) return 0;
              std::fprintf(stderr, "errors: %s", errors.str().c_str());
              return 1;
            }));
}

}  // namespace
