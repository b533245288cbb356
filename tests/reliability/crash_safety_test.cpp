// What a crash, a kill or a power cut in the middle of replacing a file leaves. The process is
// killed on entering each system call of the replacement in turn: the file is then the old one
// or the new one, whole, and the next write succeeds and leaves nothing else beside it. The
// calls are recorded and their order checked: the data reaches the disk before the rename, and
// the rename before the directory's sync ends the replacement, with nothing else written in
// between. A catchable signal during the write removes the temporary file and ends the program
// by that signal.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
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

// Why the strace tests cannot run here (no strace, tracing refused); empty when they can.
const std::string& whyStraceCannotRun() {
  static const std::string why = []() -> std::string {
    if (std::string(QUILLON_STRACE).empty())
      return "strace was not found when the tests were built";
    const HostRun run =
        runProgram(QUILLON_STRACE, {"-qq", "-o", "/dev/null", "--", "/bin/true"}, {});
    return run.status == 0 ? "" : "strace cannot trace here (ptrace refused?): " + run.errors;
  }();
  return why;
}

// Parses one line of strace's output, "name(arguments) = result"; false for the lines that
// report signals and the end of the process.
bool parseLine(std::string_view line, SystemCall& call) {
  const std::size_t open = line.find('(');
  const std::size_t equals = line.rfind(" = ");
  if (line.starts_with("+++") || line.starts_with("---") || open == std::string_view::npos ||
      equals == std::string_view::npos || equals < open) {
    return false;
  }
  const std::size_t close = line.rfind(')', equals);
  if (close == std::string_view::npos || close < open) return false;
  call.name = line.substr(0, open);
  call.arguments = line.substr(open + 1, close - open - 1);
  call.result = line.substr(equals + 3);
  return true;
}

// The system calls of one run of `command` (the program's path first), in order; only those
// that strace's `filter` ("trace=...") names, when it is given.
std::vector<SystemCall> recordSystemCalls(const std::vector<std::string>& command,
                                          const std::string& filter = "trace=all") {
  char traceName[] = "/tmp/quillon-trace.XXXXXX";
  const int fd = ::mkstemp(traceName);
  if (fd < 0) return {};
  ::close(fd);
  std::vector<std::string> arguments{"-qq", "-y", "-s", "32", "-e", filter, "-o", traceName, "--"};
  arguments.insert(arguments.end(), command.begin(), command.end());
  runProgram(QUILLON_STRACE, arguments, {});

  std::vector<SystemCall> calls;
  std::map<std::string, int, std::less<>> counts;
  std::ifstream trace(traceName);
  for (std::string line; std::getline(trace, line);) {
    SystemCall call;
    if (!parseLine(line, call)) continue;
    call.ordinal = ++counts[call.name];
    calls.push_back(std::move(call));
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
  return runProgram(QUILLON_STRACE, arguments, {}).status;
}

// The path a descriptor argument or result carries ("3</a/b>" gives "/a/b"); empty if none.
std::string descriptorPath(const std::string& text) {
  const std::size_t open = text.find('<');
  const std::size_t close = text.find('>', open);
  if (open == std::string::npos || close == std::string::npos) return "";
  return text.substr(open + 1, close - open - 1);
}

// One file that the product replaces: the recordings list by a rebuild, the configuration file
// by a setting. What rebuild-once is told after the root, where the file lies under the root, and
// what it held before.
struct ReplacedFile {
  const char* what;
  std::vector<std::string> arguments;
  const char* file;
  const char* oldContents;
};

const ReplacedFile kReplacedFiles[] = {
    {"the recordings list", {"list"}, "hdd/movie/recordings.epl", kOldList},
    {"the configuration file", {"config", kSettingKey, "5"}, "config", kOldConfig}};

// The command that replaces `replaced` in `root`.
std::vector<std::string> command(const ReplacedFile& replaced, const fs::path& root) {
  std::vector<std::string> result{QUILLON_REBUILD_ONCE, root};
  result.insert(result.end(), replaced.arguments.begin(), replaced.arguments.end());
  return result;
}

// A receiver root in which the commands above replace the files.
void layOut(fixtures::ReceiverRoot& root, std::size_t recordings = 2) {
  root.file("recordings.epl", kOldList);
  std::ofstream(root.root() / "config") << kOldConfig;
  for (std::size_t index = 0; index < recordings; ++index) {
    root.recording("recording " + std::to_string(index) + std::string(60, 'x') + ".ts",
                   static_cast<std::int64_t>(100 + index));
  }
}

bool createsAFile(const SystemCall& call) {
  return call.name.starts_with("open") && call.arguments.find("O_CREAT") != std::string::npos;
}

bool syncs(const SystemCall& call) {
  return call.name == "fsync" || call.name == "fdatasync";
}

// The calls of a replacement: from creating the temporary file to syncing the directory, and
// the one after that, so that a kill lands before and after each of them.
std::vector<SystemCall> writePhase(const std::vector<SystemCall>& calls) {
  const auto first = std::find_if(calls.begin(), calls.end(), createsAFile);
  const auto last = std::find_if(calls.rbegin(), calls.rend(), syncs);
  if (first == calls.end() || last == calls.rend() || last.base() <= first) return {};
  return {first, last.base() + (last == calls.rbegin() ? 0 : 1)};
}

class StraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!whyStraceCannotRun().empty()) GTEST_SKIP() << whyStraceCannotRun();
  }
};

using KillSweep = StraceTest;

// A kill at each call; then the calls that libfiu cannot fail (the C library's own write;
// openat and renameat, which it does not wrap) failed as a full disk or a read-only mount fails
// them, and the movie directory that cannot be opened for its listing: the writer reports it and
// the old file stays with nothing beside it. The calls are found in an undisturbed run of the same
// command, as strace has no argument filter and the sanitizers' runtime shifts the ordinals.
TEST_F(KillSweep, AKillAtAnyCallOrAFailedCallLeavesTheOldOrTheNewFileAndNothingElse) {
  for (const ReplacedFile& replaced : kReplacedFiles) {
    SCOPED_TRACE(replaced.what);
    fixtures::ReceiverRoot reference = fixtures::ReceiverRoot::temporary();
    layOut(reference);
    const std::vector<SystemCall> calls = recordSystemCalls(command(replaced, reference.root()));
    const std::vector<SystemCall> phase = writePhase(calls);
    const std::optional<std::string> newContents = contents(reference.root() / replaced.file);
    ASSERT_GT(phase.size(), 3u);
    ASSERT_TRUE(newContents);
    ASSERT_NE(replaced.oldContents, *newContents);

    fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
    layOut(root);
    const fs::path file = root.root() / replaced.file;
    const fs::path directory = file.parent_path();
    const std::set<std::string> before = names(directory);
    int killsThatLeftATemporaryFile = 0;
    for (const SystemCall& call : phase) {
      SCOPED_TRACE(call.name + " #" + std::to_string(call.ordinal) + ": " + call.arguments);
      EXPECT_EQ(128 + SIGKILL, runInjected(command(replaced, root.root()), call, "signal=KILL"));
      const std::optional<std::string> afterKill = contents(file);
      EXPECT_TRUE(afterKill == replaced.oldContents || afterKill == newContents)
          << afterKill.value_or("(no file)");
      if (names(directory) != before) ++killsThatLeftATemporaryFile;

      const std::vector<std::string> again = command(replaced, root.root());
      EXPECT_EQ(0, runProgram(again.front(), {again.begin() + 1, again.end()}, {}).status);
      EXPECT_EQ(newContents, contents(file));
      EXPECT_THAT(names(directory), ElementsAreArray(before));
      std::ofstream(file, std::ios::trunc) << replaced.oldContents;
    }
    // The sweep met what it is about: kills that left a temporary file for the next write.
    EXPECT_GT(killsThatLeftATemporaryFile, 0);

    const std::string temporary = descriptorPath(phase.front().result);
    const auto first = [&calls](const std::function<bool(const SystemCall&)>& which) {
      const auto found = std::find_if(calls.begin(), calls.end(), which);
      return found == calls.end() ? SystemCall{"(none)", 0, "", ""} : *found;
    };
    std::vector<std::pair<SystemCall, const char*>> failures{
        {phase.front(), "ENOSPC"},
        {phase.front(), "EROFS"},
        {first([&](const SystemCall& call) {
           return call.name == "write" && descriptorPath(call.arguments) == temporary;
         }),
         "ENOSPC"},
        {first([](const SystemCall& call) { return call.name.starts_with("rename"); }), "ENOSPC"}};
    if (replaced.arguments.front() == "list") {
      failures.push_back({first([](const SystemCall& call) {
                            const std::string& text = call.arguments;
                            return text.find("\"movie\"") != text.npos &&
                                   text.find("O_DIRECTORY") != text.npos;
                          }),
                          "EMFILE"});
    }
    for (const auto& [call, error] : failures) {
      // A full disk fails every write after the first; the sanitizers' own opens must work.
      SCOPED_TRACE(call.name + " #" + std::to_string(call.ordinal) + ": " + error);
      EXPECT_EQ(1, runInjected(command(replaced, root.root()), call, std::string("error=") + error,
                               call.name == "write"));
      EXPECT_EQ(replaced.oldContents, contents(file));
      EXPECT_THAT(names(directory), ElementsAreArray(before));
    }
  }
}

// The calls that change what is on the disk, and the opens among which are the creates ("?": a
// call this CPU does not have).
constexpr char kChangingCalls[] =
    "trace=?write,?pwrite64,?writev,?pwritev,?pwritev2,?fsync,?fdatasync,?syncfs,"
    "?sync_file_range,?rename,?renameat,?renameat2,?unlink,?unlinkat,?truncate,?ftruncate,"
    "?fallocate,?link,?linkat,?symlink,?symlinkat,?mkdir,?mkdirat,?fchmod,?fchmodat,?fchown,"
    "?fchownat,?utimensat,?setxattr,?fsetxattr,?copy_file_range,?sendfile,?open,?openat";

// What a call recorded with that filter does to the files, told by the names of `known` paths;
// empty for an open that creates nothing.
std::string effect(const SystemCall& call, const std::map<std::string, std::string>& known) {
  auto name = [&known](const std::string& path) {
    const auto found = known.find(path);
    return found == known.end() ? path : found->second;
  };
  const std::string subject = name(descriptorPath(call.arguments));
  if (call.name.starts_with("open") && !createsAFile(call)) return "";
  if (call.name.find("write") != std::string::npos) return "write " + subject;
  if (call.name.find("sync") != std::string::npos) return "sync " + subject;
  if (call.name.starts_with("rename")) {
    // The known names it renames, in the order they stand among its arguments.
    std::map<std::size_t, std::string> renamed;
    for (const auto& [path, label] : known) {
      const std::size_t at = call.arguments.find('"' + fs::path(path).filename().string() + '"');
      if (at != std::string::npos) renamed[at] = label;
    }
    std::string what = "rename";
    for (const auto& [at, label] : renamed) what += (what == "rename" ? " " : " to ") + label;
    return what;
  }
  return call.name + " " + subject;
}

using DurabilityOrder = StraceTest;

TEST_F(DurabilityOrder, TheDataIsSyncedBeforeTheRenameAndTheRenameBeforeTheEnd) {
  for (const ReplacedFile& replaced : kReplacedFiles) {
    SCOPED_TRACE(replaced.what);
    fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
    // More recordings than one buffer of the list holds, so that it takes several writes.
    layOut(root, 1500);
    const fs::path file = fs::canonical(root.root() / replaced.file);
    const std::vector<SystemCall> calls =
        recordSystemCalls(command(replaced, root.root()), kChangingCalls);
    const auto created = std::find_if(calls.begin(), calls.end(), createsAFile);
    ASSERT_NE(calls.end(), created);
    const std::map<std::string, std::string> known{{descriptorPath(created->result), "temporary"},
                                                   {file, "file"},
                                                   {file.parent_path(), "directory"}};

    std::vector<std::string> effects;
    for (auto call = created; call != calls.end(); ++call) {
      const std::string what = effect(*call, known);
      if (what.empty() || (!effects.empty() && effects.back() == what)) continue;
      effects.push_back(what);
    }
    const auto firstWrite = std::find(effects.begin(), effects.end(), "write temporary");
    ASSERT_NE(effects.end(), firstWrite) << ::testing::PrintToString(effects);
    // Up to the directory's sync; what the process writes after (a sanitizer's report at its
    // end) is no part of the replacement.
    const auto directorySync = std::find(firstWrite, effects.end(), "sync directory");
    EXPECT_THAT(
        std::vector<std::string>(firstWrite, directorySync + (directorySync != effects.end())),
        ::testing::ElementsAre("write temporary", "sync temporary", "rename temporary to file",
                               "sync directory"));
  }
}

using SignalDuringTheWrite = StraceTest;

TEST_F(SignalDuringTheWrite, RemovesTheTemporaryFileAndEndsTheHostByThatSignal) {
  const auto rebuildInTheHost = [](const fs::path& root) {
    return std::vector<std::string>{QUILLON_HOST_PATH, "--root", root, "--keys",
                                    "exit down down ok ok exit exit"};
  };
  fixtures::ReceiverRoot reference = fixtures::ReceiverRoot::temporary();
  layOut(reference);
  const std::vector<SystemCall> calls = recordSystemCalls(rebuildInTheHost(reference.root()));
  const auto syncOfTheList = std::find_if(calls.begin(), calls.end(), [](const SystemCall& call) {
    return syncs(call) && call.arguments.find("/.recordings.epl.") != std::string::npos;
  });
  ASSERT_NE(calls.end(), syncOfTheList) << "the host wrote no temporary list";

  // SIGQUIT's default action would leave a core dump of the host beside the test.
  rlimit coreLimit = {};
  ASSERT_EQ(0, ::getrlimit(RLIMIT_CORE, &coreLimit));
  const rlimit noCoreDump = {0, coreLimit.rlim_max};
  ASSERT_EQ(0, ::setrlimit(RLIMIT_CORE, &noCoreDump));
  for (const auto& [name, number] : {std::pair{"INT", SIGINT}, std::pair{"TERM", SIGTERM},
                                     std::pair{"HUP", SIGHUP}, std::pair{"QUIT", SIGQUIT}}) {
    SCOPED_TRACE(name);
    fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
    layOut(root);
    const std::set<std::string> before = names(root.movieDirectory());
    EXPECT_EQ(128 + number, runInjected(rebuildInTheHost(root.root()), *syncOfTheList,
                                        std::string("signal=") + name));
    EXPECT_EQ(kOldList, contents(root.recordingsList()));
    EXPECT_THAT(names(root.movieDirectory()), ElementsAreArray(before));
  }
  ::setrlimit(RLIMIT_CORE, &coreLimit);
}

}  // namespace
}  // namespace reliability
