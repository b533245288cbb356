// quillon-host end to end: each key script in cases/ is played against a fresh receiver disk,
// as a test of its own named after it, and the whole transcript must equal the .out file
// beside it, the disk's path on this machine written as ROOT. Set QUILLON_UPDATE_TRANSCRIPTS to
// write the transcripts instead, then read every difference before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/event_builder.h"
#include "fixtures/receiver_builder.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/files.h"

namespace {

using e2e::kHost;
using e2e::runKeys;
const std::string kCases = QUILLON_E2E_CASES "/";

std::string readFile(const std::filesystem::path& file) {
  return testsupport::contents(file).value_or("");
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

// Every key script in cases/, so that none added there goes unplayed.
std::vector<std::string> keyScripts() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(kCases)) {
    if (entry.path().extension() == ".keys") names.push_back(entry.path().stem().string());
  }
  std::ranges::sort(names);
  return names;
}

// A run whose keys run out ends with status 3, any other with 0.
int expectedStatus(const HostRun& run) {
  return run.out.ends_with("end of keys\n") ? 3 : 0;
}

class KeyScripts : public ::testing::TestWithParam<std::string> {};

// The whole transcript must equal the .out file beside the script. A script is played on a
// fresh disk holding the three movies, in English; but a "german" one in German, a
// "failed_rebuild" one on a disk without movies, and sort_order_read_back after
// sort_order_stored on the same disk.
TEST_P(KeyScripts, WriteTheirTranscripts) {
  const std::string& name = GetParam();
  std::vector<std::string> environment;
  if (name.starts_with("german")) environment.push_back("LANGUAGE=de");
  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  if (!name.ends_with("failed_rebuild")) addMovies(root);
  if (name == "sort_order_read_back") {
    const HostRun before = runKeys(root.root(), readFile(kCases + "sort_order_stored.keys"));
    ASSERT_EQ(expectedStatus(before), before.status) << before.errors;
  }
  const HostRun run = runKeys(root.root(), readFile(kCases + name + ".keys"), environment);
  const std::string transcript = e2e::replaced(run.out, root.root().string(), "ROOT");
  const std::string out = kCases + name + ".out";
  if (std::getenv("QUILLON_UPDATE_TRANSCRIPTS")) std::ofstream(out, std::ios::binary) << transcript;
  EXPECT_EQ(readFile(out), transcript) << "transcript of " << name << "; " << run.errors;
  EXPECT_EQ(expectedStatus(run), run.status);
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, KeyScripts, ::testing::ValuesIn(keyScripts()),
                         [](const auto& script) { return script.param; });

// Mends faults: a setting rewrote the receiver's settings file with the store's own KEY=INTEGER
// lines alone, even for `down`, `up`, which changes nothing; a store that could not read its
// file replaced it at the first change with the settings it knew; a setting that could not be
// stored failed without a word, and one that made the file larger than the store reads was
// written, so that at the next start every setting was ignored. A setting not stored is told on
// standard error and in the transcript, where it happened ("CONFIG" is the file's path).
TEST(EndToEnd, TheSettingsFileKeepsWhatTheStoreDoesNotOwnAndASettingNotStoredIsTold) {
  const std::size_t limit = std::size_t{1} << 20;
  const std::string foreign =
      "# the receiver's settings\r\n/elsewhere/name=Wohnzimmer\r\n/elsewhere/volume=-0x10\r\n";
  const std::string sortKey = "/enigma/plugins/quillon/filesort=";
  const std::string end = "# the end, without a line ending";
  // A comment line that fills the file to the store's limit with the setting, and one one byte
  // longer.
  const std::string atLimit = std::string(limit - sortKey.size() - 3, '#') + "\n";
  const std::string overLimit = "#" + atLimit;
  const std::string tooLarge =
      "quillon-host: setting: CONFIG: is larger than the 1 MiB the store reads, and stays as it "
      "is\n";
  const struct {
    std::optional<std::string> before;  // none: a link out of the root
    const char* keys;
    std::string after;
    std::string told;
  } cases[] = {
      {foreign + sortKey + "3\r\n" + end, "exit down up right exit exit",
       foreign + sortKey + "4\r\n" + end, ""},
      {foreign + end, "exit down up exit exit", foreign + end + "\r\n" + sortKey + "1\r\n", ""},
      {atLimit, "exit right exit exit", atLimit + sortKey + "2\n", ""},
      {overLimit, "exit right exit exit", overLimit,
       "quillon-host: setting: CONFIG: would grow larger than the 1 MiB the store reads, and "
       "stays as it is\n"},
      {std::nullopt, "exit right exit exit", "",
       "quillon-host: setting: CONFIG: cannot be replaced: No such file or directory\n"},
      {foreign + std::string(limit, '#') + "\n", "exit right right down ok exit exit",
       foreign + std::string(limit, '#') + "\n",
       "quillon-host: configuration file 'CONFIG' cannot be read: File too large; settings "
       "changed in this run are not written to it\n" +
           tooLarge + tooLarge + tooLarge},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.keys + std::string(" on ") + each.before.value_or("a link").substr(0, 40));
    const fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
    const std::filesystem::path config = root.root() / "etc" / "enigma" / "config";
    std::filesystem::create_directories(config.parent_path());
    if (each.before) {
      std::ofstream(config, std::ios::binary) << *each.before;
    } else {
      std::filesystem::create_symlink("/tmp/quillon-nowhere/config", config);
    }
    const HostRun run = runKeys(root.root(), each.keys);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(each.after, readFile(config));
    const std::string expected = e2e::replaced(each.told, "CONFIG", config.string());
    EXPECT_EQ(e2e::takenLine(root.root()) + expected, run.errors);
    const std::size_t setting = expected.find("quillon-host: setting:");
    if (setting != std::string::npos) {
      const std::string line = expected.substr(setting, expected.find('\n', setting) + 1 - setting);
      EXPECT_NE(std::string::npos, run.out.find("key right\n" + line + "screen:\n")) << run.out;
    }
  }
}
// Mends faults: the final report printed names from the disk as they were, so that one holding
// ESC [2J cleared the user's screen (as the C1 control CSI would), and characters that draw
// nothing reached it raw: a right-to-left override made "a[RLO]gnp.exe" read "aexe.png", and
// names that differ by a zero-width space looked alike. Each is shown as its bytes, whether a
// file name or a title holds it; the list keeps paths and titles byte for byte but for the line
// and paragraph separators, which become blanks in a description, as the DVB line break does.
// The joiners and the soft hyphen stay. And a title of blanks or C0 bytes gave a blank name,
// where one of C1 codes (which the event parser drops) gave the file name: a title that is
// nothing but blanks once its controls are blanked or dropped gives the file name.
TEST(EndToEnd, TextFromTheDiskIsShownEscapedAndListedAsItIs) {
  // Each character and how the report shows it; in a description ESC and the line and
  // paragraph separators become blanks, and the others stay.
  const std::pair<std::string, std::string> invisible[] = {
      {"\u200E", "\\xE2\\x80\\x8E"}, {"\u200F", "\\xE2\\x80\\x8F"}, {"\u202A", "\\xE2\\x80\\xAA"},
      {"\u202E", "\\xE2\\x80\\xAE"}, {"\u2066", "\\xE2\\x81\\xA6"}, {"\u2069", "\\xE2\\x81\\xA9"},
      {"\u200B", "\\xE2\\x80\\x8B"}, {"\u2060", "\\xE2\\x81\\xA0"}, {"\uFEFF", "\\xEF\\xBB\\xBF"},
      {"\u2028", "\\xE2\\x80\\xA8"}, {"\u2029", "\\xE2\\x80\\xA9"}, {"\u200C", "\u200C"},
      {"\u200D", "\u200D"},          {"\u001B", "\\x1B"},           {"\u00AD", "\u00AD"},
      {"\u009B", "\\xC2\\x9B"},
  };
  const std::set<std::string> blankInTheList = {"\u2028", "\u2029", "\u001B"};
  const fixtures::Bytes blankTitles[] = {
      fixtures::dvbText("   "),      fixtures::dvbText({0x15}, "\x01\x1B\x1F"),
      fixtures::dvbText("\x7F "),    fixtures::dvbText("\x86\x87"),
      fixtures::dvbText("\x8A\x8A"), fixtures::dvbText({0x15}, "\u2028 \u2029"),
  };
  const auto titled = [](const fixtures::Bytes& title) {
    return fixtures::EventBuilder().shortEvent("deu", title, {}).bytes();
  };
  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  for (std::size_t index = 0; index < std::size(invisible); ++index) {
    // Named by its file name, or (every other one) by a title that says the same; ESC and CSI
    // (which the event parser drops from titles) are in file names.
    const std::string text = std::to_string(index) + " a" + invisible[index].first + "b";
    if (index % 2 == 1) root.recording(text + ".ts", 100);
    if (index % 2 == 0) root.recording(text + ".ts", 100, titled(fixtures::dvbText({0x15}, text)));
  }
  for (std::size_t index = 0; index < std::size(blankTitles); ++index)
    root.recording("blank " + std::to_string(index) + ".ts", 100, titled(blankTitles[index]));
  const HostRun run = runKeys(root.root(), readFile(kCases + "rebuild.keys"));
  ASSERT_EQ(0, run.status) << run.errors;
  const std::string list = root.readRecordingsList().value_or("");

  for (std::size_t index = 0; index < std::size(invisible); ++index) {
    const auto& [character, shown] = invisible[index];
    SCOPED_TRACE(shown);
    const std::string path = "/hdd/movie/" + std::to_string(index) + " a" + character + "b.ts";
    const std::string described =
        std::to_string(index) + " a" + (blankInTheList.contains(character) ? " " : character) + "b";
    EXPECT_NE(std::string::npos, list.find(path + "\n#DESCRIPTION: " + described + "\n"));
    EXPECT_NE(std::string::npos, list.find("\n" + path + "\n"));
    EXPECT_NE(std::string::npos, run.out.find(e2e::replaced("\n  " + path + ": " + described + "\n",
                                                            character, shown)));
    EXPECT_TRUE(shown == character || run.out.find(character) == std::string::npos);
  }
  for (std::size_t index = 0; index < std::size(blankTitles); ++index) {
    const std::string name = "blank " + std::to_string(index);
    EXPECT_NE(std::string::npos, list.find("#DESCRIPTION: " + name + "\n")) << name;
  }
  EXPECT_EQ(1 + 4 * (std::size(invisible) + std::size(blankTitles)),
            static_cast<std::size_t>(std::count(list.begin(), list.end(), '\n')));
}

// Each mistake's status and message after "quillon-host: "; a message without a final newline
// is only the start of what is written. A mistake ends the run before anything runs: nothing
// is printed on standard output. Once the root has been taken, the run has said so first.
TEST(CommandLine, MistakesAreReportedWithTheirStatus) {
  const fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  const std::string dir = root.root().string();
  std::filesystem::create_symlink("loop", root.root() / "loop");
  std::ofstream(root.root() / "file") << "not a directory\n";
  const std::string tooLong = dir + "/" + std::string(5000, 'a');
  const std::string tryHelp = "\nTry 'quillon-host --help'.\n";
  const std::string taken = "taking '" + dir + "' as a receiver's whole root\nquillon-host: ";
  const struct {
    std::vector<std::string> arguments;
    std::string errors;
    int status = 2;
  } cases[] = {
      {{"stray"}, "unexpected argument 'stray'" + tryHelp},
      {{"--ro", dir, "--keys", "ok"}, "unknown option '--ro'" + tryHelp},
      {{"--help=yes"}, "unknown option '--help=yes'" + tryHelp},
      {{"--root"}, "option '--root' needs a value" + tryHelp},
      {{"--root=", "--keys", "ok"}, "option '--root' needs a path, not ''" + tryHelp},
      {{"--config=", "--keys", "ok"}, "option '--config' needs a path, not ''" + tryHelp},
      {{"--plugin", "", "--keys", "ok"}, "option '--plugin' needs a path, not ''" + tryHelp},
      {{"--keys", "ok jump"},
       "unknown key 'jump' in --keys (the keys are: up down left right ok exit)" + tryHelp},
      {{"--root", dir + "/none", "--keys", "ok"},
       "receiver root '" + dir + "/none' is not a directory\n"},
      {{"--root", dir + "/\x1B[2J", "--keys", "ok"},
       "receiver root '" + dir + "/\\x1B[2J' is not a directory\n"},
      {{"--root", dir + "/loop", "--keys", "ok"},
       "receiver root '" + dir + "/loop' cannot be used: Too many levels of symbolic links\n"},
      {{"--root", tooLong, "--keys", "ok"},
       "receiver root '" + tooLong + "' cannot be used: File name too long\n"},
      {{"--root", dir, "--config", dir + "/no/config", "--keys", "ok"},
       "the directory of configuration file '" + dir + "/no/config' does not exist\n"},
      {{"--root", dir, "--config", dir + "/file/config", "--keys", "ok"},
       "configuration file '" + dir + "/file/config' cannot be used: '" + dir +
           "/file' is not a directory\n"},
      {{"--root", dir, "--config", dir + "/loop/config", "--keys", "ok"},
       "the directory of configuration file '" + dir +
           "/loop/config' cannot be used: Too many levels of symbolic links\n"},
      {{"--root", dir, "--plugin", QUILLON_NOT_A_PLUGIN_PATH, "--keys", "ok"},
       taken + "plug-in '" QUILLON_NOT_A_PLUGIN_PATH "' has no plugin_exec\n"},
      {{"--root", dir, "--plugin", dir + "/none.so", "--keys", "ok"},
       taken + "cannot load plug-in '" + dir + "/none.so': "},
      {{"--root", dir, "--plugin", "none.so", "--keys", "ok"},
       taken + "cannot load plug-in './none.so': "},
      {{"--root", dir}, "no terminal to draw on; give --keys to run headless\n"},
      {{"--root", dir, "--keys", ""},
       taken + "the key script ended while message box \"About...\" was waiting for a key\n",
       3},
      {{"--sort", "filedate-descending"}, "option '--sort' is for --rebuild" + tryHelp},
      {{"--eit=off", "--keys", "ok"}, "option '--eit' is for --rebuild" + tryHelp},
      {{"--rebuild", "--keys", "ok"},
       "--rebuild runs without a key script: give either --rebuild or --keys" + tryHelp},
      {{"--rebuild", "--sort", "7"},
       "unknown sort order '7' (the orders are: filename-ascending filename-descending "
       "filedate-ascending filedate-descending description-ascending description-descending, "
       "or 1 to 6)" +
           tryHelp},
      {{"--rebuild", "--sort", "Filename-Ascending"}, "unknown sort order 'Filename-Ascending'"},
      {{"--rebuild", "--eit", "1"}, "option '--eit' takes on or off, not '1'" + tryHelp},
      {{"--help"}, "", 0},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(::testing::PrintToString(each.arguments));
    HostRun run = runProgram(kHost, each.arguments, {});
    EXPECT_EQ(each.status, run.status) << each.errors;
    const std::string expected = each.errors.empty() ? "" : "quillon-host: " + each.errors;
    const bool whole = expected.empty() || expected.ends_with('\n');
    EXPECT_EQ(expected, whole ? run.errors : run.errors.substr(0, expected.size()));
    EXPECT_TRUE(each.status != 2 || run.out.empty()) << run.out;
  }
}

}  // namespace
