// The built quillon.so loaded into this process, as the host loads it: two runs in one load,
// the second starting from what the first stored, and the one symbol the object exports.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "disk/receiver_fs.h"
#include "display/headless.h"
#include "fixtures/receiver_builder.h"
#include "host/econfig.h"
#include "host/ezapmain.h"
#include "host/gui/active_display.h"
#include "runner/command_line.h"
#include "runner/plugin_loader.h"

namespace {

constexpr const char* kPluginPath = QUILLON_PLUGIN_PATH;

class PluginRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk::setReceiverRoot(root.root());
    eConfig::instance()->open(root.root() / "config");
  }
  void TearDown() override {
    eConfig::instance()->open({});
    disk::setReceiverRoot("/");
  }

  // Runs plugin_exec on `keys`, which must return 0; returns the transcript.
  std::string run(const std::string& keys) {
    std::ostringstream transcript;
    HeadlessDisplay display(*parseKeyScript(keys), transcript);
    {
      const eActiveDisplay active(display);
      EXPECT_EQ(0, plugin.exec()) << keys;
    }
    return transcript.str();
  }

  static std::vector<std::string> listedPaths() {
    std::vector<std::string> paths;
    for (const auto& recording : eZapMain::instance()->recordings())
      paths.push_back(recording.path);
    return paths;
  }

  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  LoadedPlugin plugin{kPluginPath};
};

TEST_F(PluginRunTest, TheSecondRunStartsFromTheStoredSortOrderAndRebuildsAfresh) {
  ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
  root.recording("b-news.ts", 1767300000);
  root.recording("a-film.ts", 1767400000);
  root.recording("c-holiday.ts", 1767200000);
  int reloads = 0;
  eZapMain::instance()->onRecordingsLoaded([&reloads](const eZapMain&) { ++reloads; });
  run("exit right right down down ok ok exit exit");
  EXPECT_EQ((std::vector<std::string>{"/hdd/movie/c-holiday.ts", "/hdd/movie/b-news.ts",
                                      "/hdd/movie/a-film.ts"}),
            listedPaths());

  std::filesystem::remove(root.movieDirectory() / "b-news.ts");
  root.recording("d-late.ts", 1767500000);
  const std::string second = run("exit down down ok ok exit exit");
  EXPECT_NE(std::string::npos,
            second.find("Quillon v2.00\" at (170, 80)\n  > < Sort by Filedate Ascending >"))
      << second;
  EXPECT_EQ((std::vector<std::string>{"/hdd/movie/c-holiday.ts", "/hdd/movie/a-film.ts",
                                      "/hdd/movie/d-late.ts"}),
            listedPaths());
  eZapMain::instance()->onRecordingsLoaded(nullptr);
  EXPECT_EQ(2, reloads);
}

// The global and weak symbols the object defines for whoever loads it, as readelf (which
// reads an object of any CPU) lists its dynamic symbol table.
std::set<std::string> definedDynamicSymbols(const std::string& object) {
  std::set<std::string> symbols;
  std::FILE* table = ::popen(("readelf --dyn-syms -W '" + object + "'").c_str(), "r");
  char line[1024];
  while (table != nullptr && std::fgets(line, sizeof line, table) != nullptr) {
    std::istringstream fields(line);
    std::string number, value, size, type, bind, visibility, section, name;
    fields >> number >> value >> size >> type >> bind >> visibility >> section >> name;
    if ((bind == "GLOBAL" || bind == "WEAK") && section != "UND" && !name.empty())
      symbols.insert(name.substr(0, name.find('@')));
  }
  EXPECT_TRUE(table != nullptr && ::pclose(table) == 0) << "readelf failed on " << object;
  return symbols;
}

TEST(PluginObject, ExportsOnlyPluginExec) {
  EXPECT_EQ((std::set<std::string>{"plugin_exec"}), definedDynamicSymbols(kPluginPath));
}

}  // namespace
