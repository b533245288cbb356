// quillon-host on a receiver's disk as people mount it, and the rebuild in one command: a
// receiver's whole root or its hard disk alone, each resolved as on the receiver, its settings
// where that shape keeps them, and nothing else made on the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/event_builder.h"
#include "fixtures/receiver_builder.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

using e2e::listed;

// Every path below `directory`, relative to it; directories end in '/'.
std::set<std::string> tree(const fs::path& directory) {
  std::set<std::string> paths;
  for (const auto& entry : fs::recursive_directory_iterator(directory)) {
    const std::string path = entry.path().lexically_relative(directory).string();
    paths.insert(entry.is_directory() && !entry.is_symlink() ? path + "/" : path);
  }
  return paths;
}

// The words of `text`, split at blanks.
std::vector<std::string> words(const std::string& text) {
  std::istringstream stream(text);
  return {std::istream_iterator<std::string>(stream), {}};
}

// Lays out `paths` (split at blanks) below `directory`: "PATH->TARGET" is a link, a path ending
// in '/' is a directory, any other a file.
void layOut(const fs::path& directory, const std::string& paths) {
  for (const std::string& path : words(paths)) {
    const std::size_t arrow = path.find("->");
    const fs::path at = directory / path.substr(0, arrow);
    fs::create_directories(at.parent_path());
    if (arrow != std::string::npos) {
      fs::create_symlink(path.substr(arrow + 2), at);
    } else if (!path.ends_with('/')) {
      std::ofstream(at) << "G";
    }
  }
}

// What --rebuild prints when it has written the list.
std::string listedLine(std::size_t count, const fs::path& list) {
  return "listed " + std::to_string(count) + (count == 1 ? " recording" : " recordings") + " in '" +
         list.string() + "'\n";
}

// A scratch directory holding the disk under test ("disk") and the user's configuration
// directory ("xdg"), which a run names in XDG_CONFIG_HOME.
struct Scratch {
  fixtures::ReceiverRoot holder = fixtures::ReceiverRoot::temporary();
  fs::path disk = holder.root() / "disk";
  fs::path configHome = holder.root() / "xdg";

  // quillon-host on the disk with `arguments`, XDG_CONFIG_HOME naming "xdg".
  HostRun run(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"--root", disk.string()});
    return runProgram(e2e::kHost, arguments, {"XDG_CONFIG_HOME=" + configHome.string()});
  }
};

// Each shape is taken as the receiver would mount it, the list has receiver paths on both, and
// a run that writes no setting makes nothing but the list (and leaves the disk as it was when
// it writes none). A directory of neither shape is refused before anything is made. A hard disk
// keeps no receiver settings: they go to quillon/config in the user's configuration directory,
// made (0700) when a setting is first written; a whole root keeps them in its own
// etc/enigma/config, also made only then; --config names another file for either. On a hard
// disk an absolute link, or ".." above the disk, names the receiver's "/", where only /hdd leads
// back to the disk: a link reaches what it would reach on the receiver, and nothing of this
// machine around the disk ("DISK" in a target is the disk's path here).
TEST(DiskShapes, EachIsTakenAsTheReceiverMountsItAndGetsNothingButItsListAndSettings) {
  const struct {
    const char* name;
    const char* layout;
    int status;
    const char* shape;    // the shape taken; nullptr for none
    std::string message;  // after the shape line; "DISK" is the disk's path
    std::string listed;   // the list's paths; empty when no list is written
    const char* list = "movie/recordings.epl";
    const char* settings = nullptr;  // where a setting goes, below the scratch directory
  } cases[] = {
      {"hard disk", "movie/b.ts movie/a.ts movie/a.eit timeshift/", 0, "hard disk, mounted at /hdd",
       "", "/hdd/movie/a.ts /hdd/movie/b.ts", "movie/recordings.epl", "xdg/quillon/config"},
      {"whole root", "hdd/movie/a.ts movie/stray.ts", 0, "whole root", "", "/hdd/movie/a.ts",
       "hdd/movie/recordings.epl", "disk/etc/enigma/config"},
      {"hard disk with links",
       "archive/in.ts ../outside/out.ts ../hdd/outside.ts "
       "movie/absolute-to-hdd.ts->/hdd/archive/in.ts "
       "movie/climbing-to-hdd.ts->../../hdd/archive/in.ts movie/relative.ts->../archive/in.ts "
       "movie/climbing-far.ts->../../../../../hdd/./archive/../archive/in.ts "
       "movie/absolute-to-this-machine.ts->DISK/archive/in.ts "
       "movie/absolute-outside.ts->DISK/../outside/out.ts "
       "movie/climbing-outside.ts->../../outside/out.ts "
       "movie/climbing-by-its-name-here.ts->../../disk/archive/in.ts "
       "movie/climbing-to-the-hdd-here.ts->../../../hdd/outside.ts",
       0, "hard disk, mounted at /hdd", "",
       "/hdd/movie/absolute-to-hdd.ts /hdd/movie/climbing-far.ts /hdd/movie/climbing-to-hdd.ts "
       "/hdd/movie/relative.ts"},
      {"whole root by its settings alone", "etc/enigma/ movie/stray.ts", 1, "whole root",
       "quillon-host: rebuild: DISK/hdd/movie: cannot be opened: No such file or directory\n", ""},
      {"hard disk without recordings", "movie/a.eit movie/recordings.epl", 1,
       "hard disk, mounted at /hdd", "quillon-host: rebuild: DISK/movie: no recordings\n", ""},
      {"neither", "hdd etc/enigma Movie/a.ts film/movie/a.ts", 2, nullptr,
       "quillon-host: 'DISK' is no receiver's disk: it holds neither 'DISK/hdd' nor "
       "'DISK/etc/enigma' (a receiver's root) nor 'DISK/movie' (its hard disk)\n",
       ""},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.name);
    const Scratch scratch;
    layOut(scratch.disk, e2e::replaced(each.layout, "DISK", scratch.disk.string()));
    const std::optional<std::string> oldList = testsupport::contents(scratch.disk / each.list);
    const std::set<std::string> before = tree(scratch.disk);

    const HostRun run = scratch.run({"--rebuild"});
    EXPECT_EQ(each.status, run.status) << run.errors;
    EXPECT_EQ((each.shape ? e2e::takenLine(scratch.disk, each.shape) : "") +
                  e2e::replaced(each.message, "DISK", scratch.disk.string()),
              run.errors);

    std::set<std::string> expected = before;
    if (!each.listed.empty()) {
      expected.insert(each.list);
      EXPECT_EQ(listedLine(words(each.listed).size(), scratch.disk / each.list), run.out);
      EXPECT_EQ(words(each.listed), listed(testsupport::contents(scratch.disk / each.list)));
    } else {
      EXPECT_EQ("", run.out);
      EXPECT_EQ(oldList, testsupport::contents(scratch.disk / each.list));
    }
    EXPECT_EQ(expected, tree(scratch.disk));
    EXPECT_FALSE(fs::exists(scratch.configHome));
    if (each.settings == nullptr) continue;

    const fs::path config = scratch.holder.root() / each.settings;
    const fs::path given = scratch.holder.root() / "given";
    EXPECT_EQ(0, scratch.run({"--rebuild", "--sort", "3"}).status);
    EXPECT_EQ(0, scratch.run({"--rebuild", "--sort", "4", "--config", given.string()}).status);
    EXPECT_EQ("/enigma/plugins/quillon/filesort=3\n", testsupport::contents(config));
    EXPECT_EQ("/enigma/plugins/quillon/filesort=4\n", testsupport::contents(given));
    const bool users = config.parent_path().filename() == "quillon";
    if (users) {
      EXPECT_EQ(fs::perms::owner_all,
                fs::status(config.parent_path()).permissions() & fs::perms::all);
    } else {
      expected.insert({"etc/", "etc/enigma/", "etc/enigma/config"});
    }
    EXPECT_EQ(expected, tree(scratch.disk));
    EXPECT_EQ(users, fs::exists(scratch.configHome));
  }
}

// --rebuild chooses in the window as a person would, whatever the store held before (a sort
// order other than the one chosen, event information on or off): a.ts, b.ts and c.ts, of the
// 1st, 3rd and 2nd time and titled Mond, Apfel and Zebra, listed in the order of each option.
TEST(Rebuild, ChoosesAsThePersonAtTheWindowWould) {
  const std::map<char, std::string> titles{{'a', "Mond"}, {'b', "Apfel"}, {'c', "Zebra"}};
  const struct {
    const char* options;
    std::string stored;  // the plug-in's settings before the rebuild
    std::string order;
    bool titled = true;  // described by their event files, not their names
  } cases[] = {
      {"--sort filename-ascending", "filesort=6", "abc"},
      {"--sort filename-descending", "filesort=5", "cba"},
      {"--sort filedate-ascending", "filesort=4", "acb"},
      {"--sort filedate-descending", "filesort=1", "bca"},
      {"--sort description-ascending", "filesort=2", "bac"},
      {"--sort description-descending", "filesort=1", "cab"},
      {"--sort=3", "filesort=6", "acb"},
      {"--sort 6 --eit off", "filesort=1", "cba", false},
      {"--eit=off", "filesort=1", "abc", false},
      {"--eit on", "eitinfo=0", "abc"},
  };
  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  for (int time = 100; const char name : std::string("acb")) {
    const fixtures::Bytes title = fixtures::dvbText({0x15}, titles.at(name));
    root.recording(name + std::string(".ts"), time += 100,
                   fixtures::EventBuilder().shortEvent("deu", title, {}).bytes());
  }
  fs::create_directories(root.root() / "etc/enigma");
  for (const auto& each : cases) {
    SCOPED_TRACE(each.options);
    std::ofstream(root.root() / "etc/enigma/config")
        << "/enigma/plugins/quillon/" << each.stored << "\n";
    const HostRun run = runProgram(
        e2e::kHost, words("--root " + root.root().string() + " --rebuild " + each.options), {});
    EXPECT_EQ(0, run.status) << run.errors;
    EXPECT_EQ(listedLine(3, root.recordingsList()), run.out);
    std::vector<std::string> descriptions;
    for (const char name : each.order)
      descriptions.push_back(each.titled ? titles.at(name) : std::string(1, name));
    EXPECT_EQ(descriptions, listed(root.readRecordingsList(), "#DESCRIPTION: "));
  }
}

}  // namespace
