// eConfig: integer keys kept in a KEY=INTEGER file that is replaced whole on every change;
// what the file cannot say is ignored, and a failed write never harms the old file.
#include "host/econfig.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "fixtures/receiver_builder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLeast = std::numeric_limits<int>::min();

std::string readFile(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

std::vector<std::string> directoryNames(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  return names;
}

class ConfigStore : public testing::Test {
 protected:
  void SetUp() override { fs::create_directory(directory_); }

  fixtures::ReceiverRoot root_ = fixtures::ReceiverRoot::temporary();
  const fs::path directory_ = root_.root() / "config";
  const fs::path file_ = directory_ / "enigma";
};

TEST_F(ConfigStore, ValuesSurviveInAFreshStoreReadingTheFile) {
  eConfig store;
  store.open(file_);
  EXPECT_EQ(0, store.setKey("/enigma/plugins/quillon/filesort", 4));
  EXPECT_EQ(0, store.setKey("/enigma/plugins/quillon/eitinfo", 0));
  EXPECT_EQ(0, store.setKey("/negative", kLeast));

  eConfig fresh;
  fresh.open(file_);
  int sort = 1;
  int eitinfo = 1;
  int negative = 0;
  EXPECT_EQ(0, fresh.getKey("/enigma/plugins/quillon/filesort", sort));
  EXPECT_EQ(0, fresh.getKey("/enigma/plugins/quillon/eitinfo", eitinfo));
  EXPECT_EQ(0, fresh.getKey("/negative", negative));
  EXPECT_EQ(4, sort);
  EXPECT_EQ(0, eitinfo);
  EXPECT_EQ(kLeast, negative);
}

TEST_F(ConfigStore, FileHoldsOneLinePerKey) {
  eConfig store;
  store.open(file_);
  store.setKey("/b", 2);
  store.setKey("/a", 1);
  store.setKey("/b", 3);
  EXPECT_EQ("/a=1\n/b=3\n", readFile(file_));
}

TEST_F(ConfigStore, AbsentKeyLeavesTheVariableAlone) {
  writeFile(file_, "/other=5\n");
  eConfig store;
  store.open(file_);
  int value = 1;
  EXPECT_EQ(-1, store.getKey("/enigma/plugins/quillon/eitinfo", value));
  EXPECT_EQ(1, value);
  EXPECT_EQ(-1, store.getKey(nullptr, value));
  EXPECT_EQ(1, value);
}

TEST_F(ConfigStore, MissingFileIsAnEmptyStore) {
  eConfig store;
  store.open(file_);
  int value = 7;
  EXPECT_EQ(-1, store.getKey("/a", value));
  EXPECT_EQ(7, value);
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(ConfigStore, DamagedFileKeepsTheGoodLines) {
  const std::string longKey = "/" + std::string(9999, 'k');
  writeFile(file_,
            "# a comment=1\n"
            "\n"
            "/good=1\n"
            "no equals sign\n"
            "=5\n"
            "/big=2147483648\n"
            "/small=-2147483649\n"
            "/least=-2147483648\n"
            "/trailing=5x\n"
            "/blank= 5\n"
            "/plus=+5\n"
            "/twice=1=2\n"
            "/empty=\n"
            "\x01\xFF\x80garbage\n" +
                longKey + "=3\n" + "/last=9");
  eConfig store;
  store.open(file_);

  const auto value = [&](const std::string& key) {
    int result = -99;
    store.getKey(key.c_str(), result);
    return result;
  };
  EXPECT_EQ(1, value("/good"));
  EXPECT_EQ(kLeast, value("/least"));
  EXPECT_EQ(3, value(longKey));
  EXPECT_EQ(9, value("/last"));
  for (const char* ignored : {"# a comment", "no equals sign", "", "/big", "/small", "/trailing",
                              "/blank", "/plus", "/twice", "/empty"}) {
    EXPECT_EQ(-99, value(ignored)) << ignored;
  }
}

TEST_F(ConfigStore, RewriteKeepsOnlyTheGoodLines) {
  writeFile(file_, "garbage\n/a=1\n/b=x\n");
  eConfig store;
  store.open(file_);
  EXPECT_EQ(0, store.setKey("/c", 3));
  EXPECT_EQ("/a=1\n/c=3\n", readFile(file_));
}

TEST_F(ConfigStore, KeyTheFileCannotHoldIsRefused) {
  writeFile(file_, "/a=1\n");
  eConfig store;
  store.open(file_);
  for (const char* key : {"", "/a=b", "/a#b", "/a\nb", "/a\rb"}) {
    EXPECT_EQ(-1, store.setKey(key, 5)) << key;
    int value = -99;
    EXPECT_EQ(-1, store.getKey(key, value)) << key;
  }
  EXPECT_EQ(-1, store.setKey(nullptr, 5));
  EXPECT_EQ("/a=1\n", readFile(file_));
}

TEST_F(ConfigStore, NoTemporaryFileIsLeftAfterWriting) {
  eConfig store;
  store.open(file_);
  for (int value = 0; value < 5; ++value) store.setKey("/a", value);
  EXPECT_EQ(std::vector<std::string>{"enigma"}, directoryNames(directory_));
}

TEST_F(ConfigStore, MissingDirectoryFailsButKeepsTheValue) {
  eConfig store;
  store.open(directory_ / "absent" / "enigma");
  EXPECT_EQ(-1, store.setKey("/a", 6));
  int value = 0;
  EXPECT_EQ(0, store.getKey("/a", value));
  EXPECT_EQ(6, value);
  EXPECT_FALSE(fs::exists(directory_ / "absent"));
}

TEST_F(ConfigStore, UnwritableDirectoryFailsAndKeepsTheOldFile) {
  const std::string old = "/a=1\n# kept as it is\n";
  writeFile(file_, old);
  eConfig store;
  store.open(file_);
  fs::permissions(directory_, fs::perms::owner_read | fs::perms::owner_exec);
  // Root ignores the missing write permission, so the child that writes gives up root.
  EXPECT_EXIT(
      {
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 && setuid(kNobody) != 0) std::_Exit(2);
        std::_Exit(store.setKey("/a", 2) == -1 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  fs::permissions(directory_, fs::perms::owner_all);
  EXPECT_EQ(old, readFile(file_));
  EXPECT_EQ(std::vector<std::string>{"enigma"}, directoryNames(directory_));
}

TEST_F(ConfigStore, BeforeOpenValuesLiveInMemoryOnly) {
  eConfig store;
  EXPECT_EQ(0, store.setKey("/a", 4));
  int value = 0;
  EXPECT_EQ(0, store.getKey("/a", value));
  EXPECT_EQ(4, value);
}

TEST_F(ConfigStore, OpenReplacesWhatTheStoreHeld) {
  writeFile(file_, "/b=2\n");
  eConfig store;
  store.setKey("/a", 4);
  store.open(file_);
  int value = -99;
  EXPECT_EQ(-1, store.getKey("/a", value));
  EXPECT_EQ(0, store.getKey("/b", value));
  EXPECT_EQ(2, value);
}

}  // namespace
