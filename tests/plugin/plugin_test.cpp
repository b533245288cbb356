// The built quillon.so loaded into this process, as the host loads it: two runs in one load,
// the second starting from what the first stored, and the one symbol the object exports.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "display/headless.h"
#include "fixtures/receiver_builder.h"
#include "host/ezapmain.h"
#include "host/gui/active_display.h"
#include "runner/command_line.h"
#include "runner/plugin_loader.h"
#include "tests/support/receiver_in_use.h"

namespace {

constexpr const char* kPluginPath = QUILLON_PLUGIN_PATH;

// Two runs of plugin_exec in one load, as the receiver makes them: the second starts from the
// sort order the first stored (by file date, ascending), not from the one the object was loaded
// with, and rebuilds from the disk as it is then, not from the list of the first.
TEST(PluginRun, TheSecondRunStartsFromTheStoredSortOrderAndRebuildsAfresh) {
  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  const testsupport::ReceiverInUse inUse(root.root(), root.root() / "config");
  LoadedPlugin plugin{kPluginPath};
  ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
  root.recording("b-news.ts", 1767300000);
  root.recording("a-film.ts", 1767400000);
  root.recording("c-holiday.ts", 1767200000);
  const auto run = [&plugin](const std::string& keys) {
    std::ostringstream transcript;
    HeadlessDisplay display(*parseKeyScript(keys), transcript);
    const eActiveDisplay active(display);
    EXPECT_EQ(0, plugin.exec()) << keys << ": " << transcript.str();
  };
  run("exit right right down down ok ok exit exit");
  std::filesystem::remove(root.movieDirectory() / "b-news.ts");
  root.recording("d-late.ts", 1767500000);
  run("exit down down ok ok exit exit");
  std::vector<std::string> paths;
  for (const auto& recording : eZapMain::instance()->recordings()) paths.push_back(recording.path);
  EXPECT_EQ((std::vector<std::string>{"/hdd/movie/c-holiday.ts", "/hdd/movie/a-film.ts",
                                      "/hdd/movie/d-late.ts"}),
            paths);
}

// The global and weak symbols the object defines for whoever loads it, as readelf (which reads
// an object of any CPU) lists its dynamic symbol table: plugin_exec alone.
TEST(PluginObject, ExportsOnlyPluginExec) {
  const std::string command =
      "readelf --dyn-syms -W '" + std::string(kPluginPath) +
      "' | awk '($5 == \"GLOBAL\" || $5 == \"WEAK\") && $7 != \"UND\" && $8 != \"\" "
      "{ sub(/@.*/, \"\", $8); print $8 }' | sort -u";
  std::FILE* table = ::popen(command.c_str(), "r");
  ASSERT_NE(nullptr, table);
  std::string symbols;
  char line[1024];
  while (std::fgets(line, sizeof line, table) != nullptr) symbols += line;
  EXPECT_EQ(0, ::pclose(table));
  EXPECT_EQ("plugin_exec\n", symbols);
}

}  // namespace
