// Where quillon-host finds its files, and the copy of an installed demo disk a run works on:
// the same tree, links as links, every modification time kept, writable, and nothing left
// behind when the copy fails.
#include "runner/install_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "fixtures/receiver_builder.h"

namespace {

namespace fs = std::filesystem;

// One entry of a tree as lstat and its contents show it.
struct Entry {
  mode_t type = 0;
  std::int64_t mtime = 0;
  std::string contents;  // a file's bytes or a link's target
  bool ownerWrites = false;
  bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& entry) {
  return out << "type " << std::oct << entry.type << std::dec << " mtime " << entry.mtime << ", "
             << entry.contents.size() << " bytes" << (entry.ownerWrites ? ", writable" : "");
}

std::string readFile(const fs::path& file) {
  return (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
}

// Every entry below `root`, by its relative path; with `owner`, whether the owner may write.
std::map<std::string, Entry> treeOf(const fs::path& root, bool owner) {
  std::map<std::string, Entry> tree;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    struct stat status;
    EXPECT_EQ(0, ::lstat(item.path().c_str(), &status)) << item.path();
    Entry entry{status.st_mode & S_IFMT, status.st_mtim.tv_sec, "",
                owner && !S_ISLNK(status.st_mode) && (status.st_mode & S_IWUSR) != 0};
    if (S_ISLNK(status.st_mode)) entry.contents = fs::read_symlink(item.path()).string();
    if (S_ISREG(status.st_mode)) entry.contents = readFile(item.path());
    tree[item.path().lexically_relative(root).string()] = entry;
  }
  return tree;
}

// The entries named like a copy of the demo disk in `directory`.
int copiesIn(const fs::path& directory) {
  int copies = 0;
  for (const auto& item : fs::directory_iterator(directory)) {
    copies += item.path().filename().string().starts_with("quillon-demo-disk.");
  }
  return copies;
}

TEST(LocateHostFiles, TheBuildTreeHasEverythingTheProgramNeeds) {
  const HostFiles files = locateHostFiles(fs::path(QUILLON_HOST_PATH).parent_path());
  EXPECT_FALSE(files.installed);
  EXPECT_TRUE(fs::is_regular_file(files.plugin)) << files.plugin;
  EXPECT_TRUE(fs::is_regular_file(files.localeDirectory / "de/LC_MESSAGES/quillon-host.mo"))
      << files.localeDirectory;
  EXPECT_TRUE(fs::is_directory(files.demoDisk / "hdd/movie")) << files.demoDisk;
}

// A program directory with a plug-in beside it is the build tree's; without, the installed
// layout applies, the plug-in there or not, and its paths are normalised.
TEST(LocateHostFiles, ThePlugInBesideTheProgramMarksTheBuildTree) {
  const struct {
    const char* name;
    const HostFileLayout* present;  // whose plug-in exists, if any
    const HostFileLayout& expected;
  } cases[] = {{"plug-in beside", &kBuildTreeLayout, kBuildTreeLayout},
               {"plug-in installed", &kInstalledLayout, kInstalledLayout},
               {"no plug-in", nullptr, kInstalledLayout}};
  for (const auto& each : cases) {
    const fixtures::ReceiverRoot scratch = fixtures::ReceiverRoot::temporary();
    const fs::path program = scratch.root() / "usr" / "bin";
    fs::create_directories(program);
    if (each.present) {
      const fs::path plugin = program / each.present->plugin;
      fs::create_directories(plugin.parent_path());
      std::ofstream(plugin) << "ELF";
    }
    const HostFiles files = locateHostFiles(program);
    EXPECT_EQ(each.expected.installed, files.installed) << each.name;
    EXPECT_EQ((program / each.expected.plugin).lexically_normal(), files.plugin) << each.name;
    EXPECT_EQ((program / each.expected.demoDisk).lexically_normal(), files.demoDisk) << each.name;
    for (const fs::path& path : {files.plugin, files.localeDirectory, files.demoDisk}) {
      EXPECT_EQ(path, path.lexically_normal()) << each.name;
    }
  }
}

// The demo disk as installed: read-only files and directories, a link dated by itself.
class DemoDiskCopy : public testing::Test {
 protected:
  void SetUp() override {
    fixtures::buildDemoDisk(installed_.root());
    for (const auto& item : fs::recursive_directory_iterator(installed_.root())) {
      if (!item.is_symlink()) {
        fs::permissions(item.path(), fs::perms::all & ~fs::perms::owner_write &
                                         ~fs::perms::group_write & ~fs::perms::others_write);
      }
    }
  }

  fixtures::ReceiverRoot installed_ = fixtures::ReceiverRoot::temporary();
  fixtures::ReceiverRoot temporary_ = fixtures::ReceiverRoot::temporary();
};

TEST_F(DemoDiskCopy, KeepsTreeLinksAndTimesAndMayBeWritten) {
  const fs::path copy = copyDemoDisk(installed_.root(), temporary_.root());
  EXPECT_EQ(temporary_.root(), copy.parent_path());
  auto expected = treeOf(installed_.root(), false);
  for (auto& [path, entry] : expected) entry.ownerWrites = entry.type != S_IFLNK;
  const auto copied = treeOf(copy, true);
  EXPECT_EQ(expected.size(), copied.size());
  for (const auto& [path, entry] : expected) {
    EXPECT_EQ(entry, copied.contains(path) ? copied.at(path) : Entry{}) << path;
  }
  EXPECT_EQ(S_IFLNK, expected["hdd/movie/Lieblingsfilm.ts"].type);
}

TEST_F(DemoDiskCopy, EachCopyIsAFreshDirectory) {
  const fs::path first = copyDemoDisk(installed_.root(), temporary_.root());
  std::ofstream(first / "hdd/movie/recordings.epl") << "written by a run\n";
  const fs::path second = copyDemoDisk(installed_.root(), temporary_.root());
  EXPECT_NE(first, second);
  EXPECT_FALSE(fs::exists(second / "hdd/movie/recordings.epl"));
}

TEST_F(DemoDiskCopy, AFailedCopyLeavesNothingBehind) {
  ASSERT_EQ(0, ::mkfifo((temporary_.root() / "pipe").c_str(), 0600));
  const struct {
    const char* name;
    fs::path from;
  } cases[] = {{"missing demo disk", installed_.root() / "none"},
               {"demo disk holding a pipe", temporary_.root()}};
  for (const auto& each : cases) {
    const fixtures::ReceiverRoot target = fixtures::ReceiverRoot::temporary();
    EXPECT_THROW(copyDemoDisk(each.from, target.root()), std::system_error) << each.name;
    EXPECT_EQ(0, copiesIn(target.root())) << each.name;
  }
}

TEST_F(DemoDiskCopy, OnlyAnInstalledDemoDiskIsCopiedAndTheCopyIsNamed) {
  const HostFiles inBuildTree{"quillon.so", "locale", installed_.root(), false};
  std::ostringstream quiet;
  EXPECT_EQ(installed_.root(), demoDiskRoot(inBuildTree, quiet));
  EXPECT_EQ("", quiet.str());

  const char* saved = std::getenv("TMPDIR");
  const std::string previous = saved ? saved : "";
  ::setenv("TMPDIR", temporary_.root().c_str(), 1);
  HostFiles installed = inBuildTree;
  installed.installed = true;
  std::ostringstream errors;
  const std::optional<fs::path> copy = demoDiskRoot(installed, errors);
  saved ? ::setenv("TMPDIR", previous.c_str(), 1) : ::unsetenv("TMPDIR");
  ASSERT_TRUE(copy.has_value()) << errors.str();
  EXPECT_EQ(temporary_.root(), copy->parent_path());
  EXPECT_EQ("quillon-host: working on a copy of the demo disk in " + copy->string() + "\n",
            errors.str());

  installed.demoDisk = installed_.root() / "none";
  std::ostringstream failure;
  EXPECT_EQ(std::nullopt, demoDiskRoot(installed, failure));
  EXPECT_TRUE(failure.str().starts_with("quillon-host: cannot copy the demo disk: "))
      << failure.str();
}

}  // namespace
