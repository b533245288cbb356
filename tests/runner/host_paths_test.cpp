// runHost with paths that cannot serve, where only a process of its own can set the scene: a
// working directory that was removed, a directory this user may not search. Each is exit 2
// with a message naming the path and the reason, never an exception. And where the settings of
// a receiver's hard disk go, down to a user with no home at all.
#include <pwd.h>
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

// Mends a fault: a relative --root or --config after the working directory was removed, or one
// under a directory the user may not search, ended in an uncaught filesystem_error ("terminate
// called", status 134). Root searches anything, so that child runs as nobody. And a user with no
// home at all (no XDG_CONFIG_HOME, no HOME, no entry in the password database) keeps the settings
// of a hard disk for the run, and is told so; only root can become one. Every run then ends at
// the plug-in, which is not there.
TEST(HostPaths, APathThatCannotBeUsedIsExitTwoAndAUserWithoutAHomeIsTold) {
  constexpr uid_t kNoSuchUser = 54321;
  const fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  const fs::path gone = root.root() / "gone";
  const fs::path locked = root.root() / "locked";
  const fs::path disk = root.root() / "disk";
  fs::create_directories(locked / "disk");
  fs::create_directories(disk / "movie");
  fs::permissions(locked, fs::perms::none);
  fs::permissions(root.root(), fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
  const std::function<bool()> leaveWorkingDirectory = [&gone] {
    return fs::create_directory(gone) && ::chdir(gone.c_str()) == 0 && ::rmdir(gone.c_str()) == 0;
  };
  const std::function<bool()> asNobody = [] { return ::geteuid() != 0 || ::setuid(65534) == 0; };
  const std::function<bool()> withoutAHome = [] {
    return ::clearenv() == 0 && ::setuid(kNoSuchUser) == 0;
  };
  const struct {
    fs::path root;
    fs::path config;
    std::string message;
    const std::function<bool()>& prepare;
  } cases[] = {
      {"disk", "", "receiver root 'disk' cannot be used: No such file or directory",
       leaveWorkingDirectory},
      {root.root(), "store", "configuration file 'store' cannot be used: No such file or directory",
       leaveWorkingDirectory},
      {locked / "disk", "",
       "receiver root '" + (locked / "disk").string() + "' cannot be used: Permission denied",
       asNobody},
      {root.root(), locked / "disk" / "store",
       "the directory of configuration file '" + (locked / "disk" / "store").string() +
           "' cannot be used: Permission denied",
       asNobody},
      {disk, "",
       "taking '" + disk.string() +
           "' as a receiver's hard disk, mounted at /hdd\n"
           "quillon-host: no home directory to keep settings in (XDG_CONFIG_HOME and HOME are not "
           "set, and the password database names none); settings changed in this run are kept "
           "for this run only",
       withoutAHome},
  };
  const bool homeCanGo = ::geteuid() == 0 && ::getpwuid(kNoSuchUser) == nullptr;
  for (const auto& each : cases) {
    if (&each.prepare == &withoutAHome && !homeCanGo) continue;
    HostOptions options;
    options.root = each.root;
    options.config = each.config;
    options.plugin = root.root() / "no-plugin.so";
    options.keys.emplace();
    // In a child: 0 when the run ends with status 2, writes nothing to its output and its errors
    // begin with the message.
    const int result = testsupport::resultInChild([&] {
      if (!each.prepare()) return 99;
      std::ostringstream out;
      std::ostringstream errors;
      const int status = runHost(options, out, errors);
      if (status == 2 && errors.str().starts_with("quillon-host: " + each.message + "\n") &&
          out.str().empty())
        return 0;
      std::fprintf(stderr, "status %d, errors: %s", status, errors.str().c_str());
      return 1;
    });
    EXPECT_EQ(0, result) << each.message;
  }
  fs::permissions(locked, fs::perms::owner_all);
}

// A hard disk's settings: quillon/config in XDG_CONFIG_HOME when that is an absolute path, else
// in ~/.config after HOME, else after the password database's home; none without a home. An
// absolute XDG_CONFIG_HOME is
// DiskShapes.EachIsTakenAsTheReceiverMountsItAndGetsNothingButItsListAndSettings'; no home at all,
// the run without one above.
TEST(HostPaths, AHardDisksSettingsAreTheUsersOwn) {
  const struct {
    const char* configHome;
    const char* home;
    const char* passwordHome;
    std::optional<fs::path> file;
  } cases[] = {
      {"", "/home/u", "/pw", "/home/u/.config/quillon/config"},
      {"xdg", "/home/u", "/pw", "/home/u/.config/quillon/config"},
      {"", "", "/pw", "/pw/.config/quillon/config"},
      {nullptr, "home", "/pw", "/pw/.config/quillon/config"},
      {nullptr, nullptr, "", std::nullopt},
  };
  for (const auto& each : cases)
    EXPECT_EQ(each.file, userConfigFile(each.configHome, each.home, each.passwordHome))
        << "row " << &each - cases;
}

}  // namespace
