// quillon-host end to end: each key script in cases/ is played against a fresh receiver disk,
// and the whole transcript must equal the .out file beside it. Set QUILLON_UPDATE_TRANSCRIPTS
// to write the transcripts instead, then read every difference before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/event_builder.h"
#include "fixtures/receiver_builder.h"
#include "tests/e2e/host_process.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = QUILLON_E2E_CASES;
const std::string kHost = QUILLON_HOST_PATH;

std::string readFile(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// An event file whose texts are stored in UTF-8 (table selector 0x15).
fixtures::Bytes event(const char* name, const char* text) {
  return fixtures::EventBuilder()
      .shortEvent("deu", fixtures::dvbText({0x15}, name), fixtures::dvbText({0x15}, text))
      .bytes();
}

class EndToEnd : public ::testing::Test {
 protected:
  // Three recordings: two named by their event files, one by its file name alone.
  void withMovies() {
    root.recording("20260105 2015 - Krimi.ts", 1767644100, event("Tatort", "Der letzte Schnitt"));
    root.recording("20260103 1900 - Doku.ts", 1767466800, event("Planet Erde", "Wüsten"));
    root.recording("Urlaub.ts", 1767520000);
  }

  // Plays cases/NAME.keys and compares the transcript with cases/NAME.out.
  HostRun play(const std::string& name, std::vector<std::string> environment = {}) {
    std::string keys = readFile(kCases / (name + ".keys"));
    keys.erase(keys.find_last_not_of('\n') + 1);
    HostRun run = runProgram(kHost, {"--root", root.root().string(), "--keys", keys}, environment);
    const fs::path expected = kCases / (name + ".out");
    if (std::getenv("QUILLON_UPDATE_TRANSCRIPTS") != nullptr) {
      std::ofstream(expected, std::ios::binary) << run.out;
    }
    EXPECT_EQ(readFile(expected), run.out) << "transcript of " << name << "; errors:\n"
                                           << run.errors;
    return run;
  }

  // The value stored under `key` in the configuration file under the root.
  std::optional<int> stored(const std::string& key) const {
    std::ifstream config(root.root() / "etc" / "enigma" / "config");
    std::optional<int> value;
    for (std::string line; std::getline(config, line);) {
      if (line.starts_with(key + "=")) value = std::stoi(line.substr(key.size() + 1));
    }
    return value;
  }

  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
};

constexpr const char* kFileSort = "/enigma/plugins/quillon/filesort";
constexpr const char* kEitInfo = "/enigma/plugins/quillon/eitinfo";

TEST_F(EndToEnd, APlainRunShowsAboutWindowAboutAndReturnsZero) {
  withMovies();
  HostRun run = play("plain_run");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.errors);
  EXPECT_FALSE(root.readRecordingsList().has_value());
}

TEST_F(EndToEnd, ARebuildShowsItsOutcomeAndThenTheWindowAgain) {
  withMovies();
  HostRun run = play("rebuild");
  EXPECT_EQ(0, run.status);
  EXPECT_TRUE(root.readRecordingsList().has_value());
}

TEST_F(EndToEnd, ARebuildWithoutMoviesFailsAndWritesNothing) {
  HostRun run = play("failed_rebuild");
  EXPECT_EQ(0, run.status);
  EXPECT_FALSE(root.readRecordingsList().has_value());
}

TEST_F(EndToEnd, TheSortOrderIsStoredByLeftAndRightAndReadOnTheNextRun) {
  withMovies();
  play("sort_order_stored");
  EXPECT_EQ(4, stored(kFileSort));
  EXPECT_FALSE(root.readRecordingsList().has_value());
  play("sort_order_read_back");
  EXPECT_EQ(4, stored(kFileSort));
}

TEST_F(EndToEnd, TheCheckEntryStoresItsKeyAndTheRebuildFollowsIt) {
  withMovies();
  play("eit_switch");
  EXPECT_EQ(0, stored(kEitInfo));
  EXPECT_EQ(std::nullopt, stored(kFileSort));
}

TEST_F(EndToEnd, MovingOntoTheSortRowStoresItsUnchangedValue) {
  HostRun run =
      runProgram(kHost, {"--root", root.root().string(), "--keys", "exit down up exit exit"}, {});
  EXPECT_EQ(0, run.status) << run.errors;
  EXPECT_EQ(1, stored(kFileSort));
}

TEST_F(EndToEnd, InfoHidesTheWindowAndShowsTheSameWindowAgain) {
  withMovies();
  play("info");
  EXPECT_EQ(std::nullopt, stored(kFileSort));
}

TEST_F(EndToEnd, GermanTranslatesExactlyTheTextsMarkedTranslated) {
  withMovies();
  play("german", {"LANGUAGE=de"});
}

TEST_F(EndToEnd, GermanTranslatesTheFailedRebuildsMessage) {
  play("german_failed_rebuild", {"LANGUAGE=de"});
}

TEST_F(EndToEnd, AKeyScriptEndingEarlyExitsThreeNamingTheOpenWindow) {
  withMovies();
  HostRun run = play("keys_end_early");
  EXPECT_EQ(3, run.status);
  EXPECT_EQ(
      "quillon-host: the key script ended while window \"Quillon v2.00\" was waiting for "
      "a key\n",
      run.errors);
}

TEST_F(EndToEnd, AnEmptyKeyScriptEndsAtTheFirstAboutBox) {
  HostRun run = runProgram(kHost, {"--root", root.root().string(), "--keys", ""}, {});
  EXPECT_EQ(3, run.status);
  EXPECT_EQ(
      "quillon-host: the key script ended while message box \"About...\" was waiting "
      "for a key\n",
      run.errors);
}

TEST_F(EndToEnd, AnExplicitConfigurationFileIsUsed) {
  const fs::path config = root.root() / "elsewhere.conf";
  std::ofstream(config) << kFileSort << "=6\n";
  HostRun run = runProgram(
      kHost, {"--root", root.root().string(), "--config", config.string(), "--keys", "exit"}, {});
  EXPECT_NE(std::string::npos, run.out.find("  > < Sort by Description Descending\n")) << run.out;
}

TEST(DemoDisk, IsTheRootWithoutRootOption) {
  const fs::path config = fs::temp_directory_path() / "quillon-demo-disk-test.conf";
  fs::remove(config);
  HostRun run = runProgram(kHost, {"--config", config.string(), "--keys", "exit down down ok"}, {});
  fs::remove(config);
  EXPECT_NE(std::string::npos, run.out.find("Movies recovered successfully.")) << run.out;
}

struct CommandLineCase {
  std::vector<std::string> arguments;
  std::string message;
};

class CommandLine : public ::testing::Test {
 protected:
  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
};

TEST_F(CommandLine, HelpDescribesEveryOptionAndSucceeds) {
  HostRun run = runProgram(kHost, {"--help"}, {});
  EXPECT_EQ(0, run.status);
  for (const char* option : {"--root", "--config", "--keys", "--plugin", "--help"}) {
    EXPECT_NE(std::string::npos, run.out.find(option)) << option;
  }
}

TEST_F(CommandLine, MistakesAreReportedWithStatusTwo) {
  const std::string rootPath = root.root().string();
  const std::vector<CommandLineCase> cases{
      {{"--colour"}, "quillon-host: unknown option '--colour'\nTry 'quillon-host --help'.\n"},
      {{"stray"}, "quillon-host: unexpected argument 'stray'\nTry 'quillon-host --help'.\n"},
      {{"--root"}, "quillon-host: option '--root' needs a value\nTry 'quillon-host --help'.\n"},
      {{"--keys", "ok jump"},
       "quillon-host: unknown key 'jump' in --keys (the keys are: up down left right ok "
       "exit)\nTry 'quillon-host --help'.\n"},
      {{"--root", rootPath + "/missing", "--keys", "exit"},
       "quillon-host: receiver root '" + rootPath + "/missing' is not a directory\n"},
      {{"--root", rootPath, "--config", rootPath + "/no/such/config", "--keys", "exit"},
       "quillon-host: the directory of configuration file '" + rootPath +
           "/no/such/config' does not exist\n"},
      {{"--root", rootPath, "--plugin", QUILLON_HOST_LIBRARY_PATH, "--keys", "exit"},
       "quillon-host: plug-in '" + std::string(QUILLON_HOST_LIBRARY_PATH) +
           "' has no plugin_exec\n"},
      {{"--root", rootPath, "--keys", "exit exit exit"}, ""},
  };
  for (const CommandLineCase& each : cases) {
    HostRun run = runProgram(kHost, each.arguments, {});
    if (each.message.empty()) {
      EXPECT_EQ(0, run.status) << run.errors;
      continue;
    }
    EXPECT_EQ(2, run.status) << each.message;
    EXPECT_EQ(each.message, run.errors);
  }
}

TEST_F(CommandLine, APlugInThatCannotBeLoadedIsReportedWithStatusTwo) {
  const std::string missing = root.root().string() + "/absent.so";
  HostRun run = runProgram(
      kHost, {"--root", root.root().string(), "--plugin", missing, "--keys", "exit"}, {});
  EXPECT_EQ(2, run.status);
  EXPECT_TRUE(run.errors.starts_with("quillon-host: cannot load plug-in '" + missing + "': "))
      << run.errors;
}

TEST_F(CommandLine, WithoutKeysOrTerminalTheHostRefusesInsteadOfWaiting) {
  HostRun run = runProgram(kHost, {"--root", root.root().string()}, {});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("quillon-host: no terminal to draw on; give --keys to run headless\n", run.errors);
}

}  // namespace
