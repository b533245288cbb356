// The built quillon.so loaded into this process, as the host loads it: two runs in one load,
// the second starting from what the first stored, and what the object exports and needs.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/event_builder.h"
#include "fixtures/receiver_builder.h"
#include "host/econfig.h"
#include "host/ezapmain.h"
#include "host/receiver_fs.h"
#include "runner/command_line.h"
#include "runner/headless.h"
#include "runner/plugin_loader.h"
#include "tests/plugin/elf_symbols.h"

namespace {

constexpr const char* kPluginPath = QUILLON_PLUGIN_PATH;

fixtures::Bytes event(const char* name, const char* text) {
  return fixtures::EventBuilder()
      .shortEvent("deu", fixtures::dvbText(name), fixtures::dvbText(text))
      .bytes();
}

class PluginRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
    host::setReceiverRoot(root.root());
    eConfig::instance()->open(root.root() / "config");
    root.recording("b-news.ts", 1767300000, event("Nachrichten", "Am Abend"));
    root.recording("a-film.ts", 1767400000, event("Spielfilm", "Drama"));
    root.recording("c-holiday.ts", 1767200000);
  }
  void TearDown() override {
    eConfig::instance()->open({});
    host::setReceiverRoot("/");
  }

  // Runs plugin_exec on `keys`; returns its transcript.
  std::string run(const std::string& keys) {
    std::ostringstream transcript;
    HeadlessDisplay display(std::get<std::vector<eRCKey>>(parseKeyScript(keys)), transcript);
    eScreen::setActive(&display);
    eKeySource::setActive(&display);
    results.push_back(plugin.exec());
    eScreen::setActive(nullptr);
    eKeySource::setActive(nullptr);
    return transcript.str();
  }

  std::vector<std::string> listedPaths() const {
    std::vector<std::string> paths;
    for (const auto& recording : eZapMain::instance()->recordings())
      paths.push_back(recording.path);
    return paths;
  }

  int storedSortType() const {
    int value = 0;
    eConfig::instance()->getKey("/enigma/plugins/quillon/filesort", value);
    return value;
  }

  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  LoadedPlugin plugin{kPluginPath};
  std::vector<int> results;
};

// The window as it first appears, with row 1 current.
std::string windowOpeningWith(const std::string& firstRow) {
  return "show window \"Quillon v2.00\" at (170, 80)\n  > " + firstRow + "\n";
}

TEST_F(PluginRunTest, TheSecondRunStartsFromTheStoredSortOrderAndRebuildsAfresh) {
  const int reloadsBefore = eZapMain::instance()->reloadCount();
  std::string first = run("exit right right down down ok ok exit exit");
  EXPECT_EQ(3, storedSortType());
  EXPECT_EQ((std::vector<std::string>{"/hdd/movie/c-holiday.ts", "/hdd/movie/b-news.ts",
                                      "/hdd/movie/a-film.ts"}),
            listedPaths());

  std::filesystem::remove(root.movieDirectory() / "b-news.ts");
  root.recording("d-late.ts", 1767500000);
  std::string second = run("exit down down ok ok exit exit");
  EXPECT_NE(std::string::npos, second.find(windowOpeningWith("< Sort by Filedate Ascending >")))
      << second;
  EXPECT_EQ((std::vector<std::string>{"/hdd/movie/c-holiday.ts", "/hdd/movie/a-film.ts",
                                      "/hdd/movie/d-late.ts"}),
            listedPaths());
  EXPECT_EQ(reloadsBefore + 2, eZapMain::instance()->reloadCount());
  EXPECT_EQ((std::vector<int>{0, 0}), results);
}

TEST_F(PluginRunTest, AFailedSecondRebuildLeavesTheFirstRebuildsList) {
  run("exit down down ok ok exit exit");
  const auto written = root.readRecordingsList();
  ASSERT_TRUE(written.has_value());
  const int reloadsAfterFirst = eZapMain::instance()->reloadCount();

  for (const char* name : {"a-film", "b-news", "c-holiday"}) {
    std::filesystem::remove(root.movieDirectory() / (std::string(name) + ".ts"));
  }
  std::string second = run("exit down down ok ok exit exit");
  EXPECT_NE(std::string::npos, second.find("  Movies could not be recovered.\n")) << second;
  EXPECT_EQ(written, root.readRecordingsList());
  EXPECT_EQ(reloadsAfterFirst, eZapMain::instance()->reloadCount());
  EXPECT_EQ(3u, listedPaths().size());
}

TEST_F(PluginRunTest, ARunWithoutChangesStoresNothing) {
  run("exit exit exit");
  EXPECT_EQ(0, storedSortType());
  EXPECT_FALSE(root.readRecordingsList().has_value());
  EXPECT_EQ((std::vector<int>{0}), results);
}

TEST(PluginObject, ExportsOnlyPluginExec) {
  DynamicSymbols symbols = readDynamicSymbols(kPluginPath);
  EXPECT_EQ((std::set<std::string>{"plugin_exec"}), symbols.defined);
}

TEST(PluginObject, LeavesHostSymbolsToTheLoadingProcess) {
  DynamicSymbols symbols = readDynamicSymbols(kPluginPath);
  EXPECT_TRUE(symbols.undefined.contains("_ZN7eConfig8instanceEv"));
  EXPECT_TRUE(symbols.undefined.contains("_ZN7eWidget4execEv"));
  for (const std::string& library : symbols.needed) {
    EXPECT_EQ(std::string::npos, library.find("qhost")) << library;
    EXPECT_EQ(std::string::npos, library.find("sigc")) << library;
  }
}

TEST(PluginObject, ALibraryWithoutPluginExecIsRefused) {
  LoadedPlugin notAPlugin(QUILLON_HOST_LIBRARY_PATH);
  EXPECT_FALSE(notAPlugin.isLoaded());
  EXPECT_EQ("plug-in '" + std::string(QUILLON_HOST_LIBRARY_PATH) + "' has no plugin_exec",
            notAPlugin.error());
}

}  // namespace
