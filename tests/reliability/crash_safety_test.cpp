// What a crash, a kill or a power cut in the middle of replacing a file leaves. The process is
// killed on entering each system call of the replacement in turn: the file is then the old one
// or the new one, whole, and the next write succeeds and leaves nothing else beside it. The
// calls are recorded and their order checked: the data reaches the disk before the rename, and
// the rename before the directory's sync ends the replacement, with nothing else written in
// between. A catchable signal during the write removes the temporary file and ends the program
// by that signal.
#include <signal.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fixtures/receiver_builder.h"
#include "tests/reliability/replaced_files.h"
#include "tests/support/host_process.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;

using testsupport::contents;

// strace watches and interrupts a program at its system calls: it records the calls a run makes,
// and runs it again with a signal delivered on entering one chosen call. A call is named as
// strace's injection names it: the system call and its ordinal among the process's calls of that
// name. strace follows the program it starts; under an emulator it would trace the emulator
// instead, so there these tests are left out.
struct SystemCall {
  std::string name;       // "openat"
  int ordinal;            // 1 for the process's first call of this name
  std::string arguments;  // as strace prints them; descriptors carry their paths ("3</a/b>")
  std::string result;     // "3</a/b>", "0", "-1 ENOSPC (No space left on device)"
};

// The calls that change what is on the disk, and the opens among which are the creates ("?": a
// call this CPU does not have). Each is recorded whole, so that its ordinals are those that
// strace's injection counts.
constexpr char kChangingCalls[] =
    "trace=?write,?pwrite64,?writev,?pwritev,?pwritev2,?fsync,?fdatasync,?syncfs,"
    "?sync_file_range,?rename,?renameat,?renameat2,?unlink,?unlinkat,?truncate,?ftruncate,"
    "?fallocate,?link,?linkat,?symlink,?symlinkat,?mkdir,?mkdirat,?fchmod,?fchmodat,?fchown,"
    "?fchownat,?utimensat,?setxattr,?fsetxattr,?removexattr,?fremovexattr,?copy_file_range,"
    "?sendfile,?open,?openat";

// The calls above that one run of `command` (the program's path first) makes, in order.
std::vector<SystemCall> recordSystemCalls(const std::vector<std::string>& command) {
  char traceName[] = "/tmp/quillon-trace.XXXXXX";
  ::close(::mkstemp(traceName));
  std::vector<std::string> arguments{"-qq",          "-y", "-s",      "32", "-e",
                                     kChangingCalls, "-o", traceName, "--"};
  arguments.insert(arguments.end(), command.begin(), command.end());
  runProgram(QUILLON_STRACE, arguments, kTracedEnvironment);

  // "name(arguments) = result"; the lines that report signals and the end do not match.
  static const std::regex line(R"((\w+)\((.*)\) += (.*))");
  std::vector<SystemCall> calls;
  std::map<std::string, int> counts;
  std::ifstream trace(traceName);
  for (std::string text; std::getline(trace, text);) {
    if (std::smatch call; std::regex_match(text, call, line))
      calls.push_back({call[1], ++counts[call[1]], call[2], call[3]});
  }
  ::unlink(traceName);
  return calls;
}

// Runs `command` under strace with `action` ("signal=KILL", "error=ENOSPC") on entering `call`,
// and on every later call of its name too if `andLater`; the program's exit code, or 128 plus
// the number of the signal that ended it.
int runInjected(const std::vector<std::string>& command, const SystemCall& call,
                const std::string& action, bool andLater = false) {
  std::vector<std::string> arguments{"-qq", "-o", "/dev/null",
                                     "--inject=" + call.name + ":" + action + ":when=" +
                                         std::to_string(call.ordinal) + (andLater ? "+" : ""),
                                     "--"};
  arguments.insert(arguments.end(), command.begin(), command.end());
  return runProgram(QUILLON_STRACE, arguments, kTracedEnvironment).status;
}

// The path a descriptor argument or result carries ("3</a/b>" gives "/a/b"); empty if none.
std::string descriptorPath(const std::string& text) {
  static const std::regex path("<([^>]*)>");
  std::smatch found;
  return std::regex_search(text, found, path) ? found[1].str() : "";
}

// Whether `call` is one of `name` ("open" for "openat" too) whose arguments hold the parts.
bool is(const SystemCall& call, std::string_view name, std::string_view part = "",
        std::string_view otherPart = "") {
  const std::string& text = call.arguments;
  return call.name.starts_with(name) && text.find(part) != text.npos &&
         text.find(otherPart) != text.npos;
}

// The first of `calls` that is one of `name` with the parts; one that names no call if none is.
SystemCall first(const std::vector<SystemCall>& calls, std::string_view name,
                 std::string_view part = "", std::string_view otherPart = "") {
  for (const SystemCall& call : calls) {
    if (is(call, name, part, otherPart)) return call;
  }
  return {"(none)", 0, "", ""};
}

// One file that the product replaces: the recordings list by a rebuild, the configuration file
// by a setting. What rebuild-once is told after the root, where the file lies under the root, and
// what it held before.
struct ReplacedFile {
  std::vector<std::string> arguments;
  const char* file;
  const char* oldContents;
};

const ReplacedFile kReplacedFiles[] = {{{"list"}, "hdd/movie/recordings.epl", kOldList},
                                       {{"config", kSettingKey, "5"}, "config", kOldConfig}};

// The command that replaces `replaced` in `root`.
std::vector<std::string> command(const ReplacedFile& replaced, const fs::path& root) {
  std::vector<std::string> result{QUILLON_REBUILD_ONCE, root};
  result.insert(result.end(), replaced.arguments.begin(), replaced.arguments.end());
  return result;
}

// What a call does to the files ("write temporary", "rename temporary to file"); empty for an
// open that creates nothing.
std::string effect(const SystemCall& call, const fs::path& temporary, const fs::path& file) {
  const std::string& text = call.arguments;
  if (call.name.starts_with("rename")) {
    const auto at = [&text](const fs::path& path) {
      return text.find('"' + path.filename().string() + '"');
    };
    return at(temporary) < at(file) && at(file) != text.npos ? "rename temporary to file"
                                                             : "rename " + text;
  }
  if (is(call, "open") && !is(call, "open", "O_CREAT")) return "";
  const std::string path = descriptorPath(text);
  const std::string subject = path == temporary            ? "temporary"
                              : path == file.parent_path() ? "directory"
                                                           : path;
  if (call.name.find("write") != std::string::npos) return "write " + subject;
  if (call.name.find("sync") != std::string::npos) return "sync " + subject;
  return call.name + " " + subject;
}

// The calls are found in an undisturbed run of the same command, as strace has no argument
// filter and the sanitizers' runtime shifts the ordinals. From creating the temporary file to
// syncing the directory: the data is synced before the rename, and the rename before the end,
// with nothing else written in between (what the process writes after, a sanitizer's report at
// its end, is no part of the replacement). A kill at each call that changes the disk (a kill
// between two of them leaves what a kill at the later one leaves), and at the one after the
// directory's sync. Then the calls that libfiu cannot fail (the C library's own write; openat and
// renameat, which it does not wrap) failed as a full disk or a read-only mount fails them, and
// the movie directory that cannot be opened for its listing: the writer reports it and the old
// file stays with nothing beside it.
TEST(Replacement, IsSyncedInOrderAndAKillOrAFailureAtAnyCallLeavesTheOldOrTheNewFile) {
  for (const ReplacedFile& replaced : kReplacedFiles) {
    SCOPED_TRACE(replaced.file);
    const fixtures::ReceiverRoot reference = layOut();
    const std::vector<SystemCall> calls = recordSystemCalls(command(replaced, reference.root()));
    const std::optional<std::string> newContents = contents(reference.root() / replaced.file);
    ASSERT_NE(replaced.oldContents, newContents.value_or(replaced.oldContents));
    const auto created = std::ranges::find_if(
        calls, [](const SystemCall& call) { return is(call, "open", "O_CREAT"); });
    const auto lastSync = std::find_if(calls.rbegin(), calls.rend(), [](const SystemCall& call) {
                            return call.name.find("sync") != std::string::npos;
                          }).base();
    ASSERT_LT(created, lastSync);
    const std::vector<SystemCall> phase(created, lastSync + (lastSync != calls.end()));

    const fs::path file = fs::canonical(reference.root() / replaced.file);
    const std::string temporary = descriptorPath(phase.front().result);
    std::vector<std::string> effects;
    for (const SystemCall& call : phase) {
      const std::string what = effect(call, temporary, file);
      if (!what.empty() && (effects.empty() || effects.back() != what)) effects.push_back(what);
    }
    const auto firstWrite = std::find(effects.begin(), effects.end(), "write temporary");
    const auto directorySync = std::find(firstWrite, effects.end(), "sync directory");
    EXPECT_THAT(
        std::vector<std::string>(firstWrite, directorySync + (directorySync != effects.end())),
        ::testing::ElementsAre("write temporary", "sync temporary", "rename temporary to file",
                               "sync directory"));

    const fixtures::ReceiverRoot root = layOut();
    const fs::path target = root.root() / replaced.file;
    const std::set<std::string> before = names(target.parent_path());
    int killsThatLeftATemporaryFile = 0;
    for (const SystemCall& call : phase) {
      SCOPED_TRACE(call.name + " #" + std::to_string(call.ordinal) + ": " + call.arguments);
      EXPECT_EQ(128 + SIGKILL, runInjected(command(replaced, root.root()), call, "signal=KILL"));
      const std::optional<std::string> afterKill = contents(target);
      EXPECT_TRUE(afterKill == replaced.oldContents || afterKill == newContents)
          << afterKill.value_or("(no file)");
      if (names(target.parent_path()) != before) ++killsThatLeftATemporaryFile;

      const std::vector<std::string> again = command(replaced, root.root());
      EXPECT_EQ(0, runProgram(again.front(), {again.begin() + 1, again.end()}, {}).status);
      EXPECT_EQ(newContents, contents(target));
      EXPECT_THAT(names(target.parent_path()), ElementsAreArray(before));
      std::ofstream(target, std::ios::trunc) << replaced.oldContents;
    }
    // The sweep met what it is about: kills that left a temporary file for the next write.
    EXPECT_GT(killsThatLeftATemporaryFile, 0);

    std::vector<std::pair<SystemCall, const char*>> failures{
        {phase.front(), "ENOSPC"},
        {phase.front(), "EROFS"},
        {first(calls, "write", temporary), "ENOSPC"},
        {first(calls, "rename"), "ENOSPC"}};
    if (replaced.arguments.front() == "list")
      failures.push_back({first(calls, "open", "\"movie\"", "O_DIRECTORY"), "EMFILE"});
    for (const auto& [call, error] : failures) {
      // A full disk fails every write after the first; the sanitizers' own opens must work.
      SCOPED_TRACE(call.name + " #" + std::to_string(call.ordinal) + ": " + error);
      EXPECT_EQ(1, runInjected(command(replaced, root.root()), call, std::string("error=") + error,
                               call.name == "write"));
      EXPECT_EQ(replaced.oldContents, contents(target));
      EXPECT_THAT(names(target.parent_path()), ElementsAreArray(before));
    }
  }
}

TEST(SignalDuringTheWrite, RemovesTheTemporaryFileAndEndsTheHostByThatSignal) {
  const auto rebuildInTheHost = [](const fs::path& root) {
    // SIGQUIT's default action would leave a core dump of the host beside the test.
    return std::vector<std::string>{
        "/usr/bin/prlimit", "--core=0",    "--",     QUILLON_HOST_PATH,
        "--root",           root.string(), "--keys", "exit down down ok ok exit exit"};
  };
  const SystemCall syncOfTheList =
      first(recordSystemCalls(rebuildInTheHost(layOut().root())), "fsync", "/.recordings.epl.");
  ASSERT_NE(0, syncOfTheList.ordinal) << "the host wrote no temporary list";

  for (const auto& [name, number] : {std::pair{"INT", SIGINT}, std::pair{"TERM", SIGTERM},
                                     std::pair{"HUP", SIGHUP}, std::pair{"QUIT", SIGQUIT}}) {
    SCOPED_TRACE(name);
    const fixtures::ReceiverRoot root = layOut();
    const std::set<std::string> before = names(root.movieDirectory());
    EXPECT_EQ(128 + number, runInjected(rebuildInTheHost(root.root()), syncOfTheList,
                                        std::string("signal=") + name));
    EXPECT_EQ(kOldList, contents(root.recordingsList()));
    EXPECT_THAT(names(root.movieDirectory()), ElementsAreArray(before));
  }
}

}  // namespace
}  // namespace reliability
