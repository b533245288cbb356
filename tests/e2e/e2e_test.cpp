// quillon-host end to end: each key script in cases/ is played against a fresh receiver disk,
// and the whole transcript must equal the .out file beside it. Set QUILLON_UPDATE_TRANSCRIPTS
// to write the transcripts instead, then read every difference before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/event_builder.h"
#include "fixtures/receiver_builder.h"
#include "tests/e2e/host_process.h"

namespace {

const std::string kCases = QUILLON_E2E_CASES "/";
const std::string kHost = QUILLON_HOST_PATH;

std::string readFile(const std::filesystem::path& file) {
  return (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
}

// Three recordings: two named by their event files (texts in UTF-8), one by its file name.
void addMovies(fixtures::ReceiverRoot& root) {
  auto event = [](const char* name, const char* text) {
    return fixtures::EventBuilder()
        .shortEvent("deu", fixtures::dvbText({0x15}, name), fixtures::dvbText({0x15}, text))
        .bytes();
  };
  root.recording("20260105 2015 - Krimi.ts", 1767644100, event("Tatort", "Der letzte Schnitt"));
  root.recording("20260103 1900 - Doku.ts", 1767466800, event("Planet Erde", "Wüsten"));
  root.recording("Urlaub.ts", 1767520000);
}

// Each run plays its key scripts in turn on one disk, with or without movies; a run whose keys
// run out ends with status 3, any other with 0.
TEST(EndToEnd, EveryKeyScriptWritesItsTranscript) {
  const struct {
    std::vector<std::string> scripts;
    bool movies;
    std::vector<std::string> environment;
  } cases[] = {{{"plain_run"}, true, {}},
               {{"rebuild"}, true, {}},
               {{"failed_rebuild"}, false, {}},
               {{"sort_order_stored", "sort_order_read_back"}, true, {}},
               {{"eit_switch"}, true, {}},
               {{"info"}, true, {}},
               {{"keys_end_early"}, true, {}},
               {{"german"}, true, {"LANGUAGE=de"}},
               {{"german_failed_rebuild"}, false, {"LANGUAGE=de"}}};
  for (const auto& each : cases) {
    fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
    if (each.movies) addMovies(root);
    for (const std::string& name : each.scripts) {
      const std::string keys = readFile(kCases + name + ".keys");
      HostRun run =
          runProgram(kHost, {"--root", root.root().string(), "--keys", keys}, each.environment);
      const std::string out = kCases + name + ".out";
      if (std::getenv("QUILLON_UPDATE_TRANSCRIPTS"))
        std::ofstream(out, std::ios::binary) << run.out;
      EXPECT_EQ(readFile(out), run.out) << "transcript of " << name << "; " << run.errors;
      EXPECT_EQ(run.out.ends_with("end of keys\n") ? 3 : 0, run.status) << name;
    }
  }
}

// Without --root the bundled demo disk is used; the sort row, merely moved onto, stores its
// value in the --config file.
TEST(EndToEnd, TheDemoDiskIsTheRootWithoutRootOption) {
  const fixtures::ReceiverRoot elsewhere = fixtures::ReceiverRoot::temporary();
  const std::string config = (elsewhere.root() / "demo.conf").string();
  HostRun run = runProgram(kHost, {"--config", config, "--keys", "exit down up down down ok"}, {});
  EXPECT_NE(std::string::npos, run.out.find("Movies recovered successfully.")) << run.out;
  EXPECT_EQ("/enigma/plugins/quillon/filesort=1\n", readFile(config));
}

// Each mistake's status and message after "quillon-host: "; a message without a final newline
// is only the start of what is written.
TEST(CommandLine, MistakesAreReportedWithTheirStatus) {
  const fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  const std::string dir = root.root().string();
  const struct {
    std::vector<std::string> arguments;
    std::string errors;
    int status = 2;
  } cases[] = {
      {{"--colour"}, "unknown option '--colour'\nTry 'quillon-host --help'.\n"},
      {{"stray"}, "unexpected argument 'stray'\nTry 'quillon-host --help'.\n"},
      {{"--root"}, "option '--root' needs a value\nTry 'quillon-host --help'.\n"},
      {{"--keys", "ok jump"},
       "unknown key 'jump' in --keys (the keys are: up down left right ok exit)\nTry 'quillon-host "
       "--help'.\n"},
      {{"--root", dir + "/none"}, "receiver root '" + dir + "/none' is not a directory\n"},
      {{"--root", dir, "--config", dir + "/no/config"},
       "the directory of configuration file '" + dir + "/no/config' does not exist\n"},
      {{"--root", dir, "--plugin", QUILLON_HOST_LIBRARY_PATH},
       "plug-in '" QUILLON_HOST_LIBRARY_PATH "' has no plugin_exec\n"},
      {{"--root", dir, "--plugin", dir + "/none.so"},
       "cannot load plug-in '" + dir + "/none.so': "},
      {{"--root", dir}, "no terminal to draw on; give --keys to run headless\n"},
      {{"--root", dir, "--keys", ""},
       "the key script ended while message box \"About...\" was waiting for a key\n",
       3},
      {{"--help"}, "", 0},
  };
  for (const auto& each : cases) {
    HostRun run = runProgram(kHost, each.arguments, {});
    EXPECT_EQ(each.status, run.status) << each.errors;
    const std::string expected = each.errors.empty() ? "" : "quillon-host: " + each.errors;
    const bool whole = expected.empty() || expected.ends_with('\n');
    EXPECT_EQ(expected, whole ? run.errors : run.errors.substr(0, expected.size()));
  }
}

}  // namespace
