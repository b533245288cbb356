// eConfig: integer keys kept in a KEY=INTEGER file of which a setting rewrites its own line
// alone; what the file cannot say is ignored or refused.
#include "host/econfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "fixtures/receiver_builder.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLeast = std::numeric_limits<int>::min();

class ConfigStore : public testing::Test {
 protected:
  // The value `store` gives for `key`, or -99 when it has none.
  static int valueOf(eConfig& store, const std::string& key) {
    int value = -99;
    store.getKey(key.c_str(), value);
    return value;
  }

  fixtures::ReceiverRoot root_ = fixtures::ReceiverRoot::temporary();
  const fs::path file_ = root_.root() / "enigma";
};

// Mends a fault: lines ending in CR LF, as an editor elsewhere writes them, were ignored.
TEST_F(ConfigStore, DamagedFileKeepsTheGoodLinesWhateverTheyEndIn) {
  const std::string longKey = "/" + std::string(9999, 'k');
  std::ofstream(file_, std::ios::binary)
      << "# a comment=1\n\n/good=1\n/crlf=4\r\n/crcrlf=1\r\r\nno equals sign\n=5\n"
         "/big=2147483648\n/small=-2147483649\n"
         "/least=-2147483648\n/trailing=5x\n/blank= 5\n/plus=+5\n/twice=1=2\n/empty=\n"
         "\x01\xFF\x80garbage\n"
      << longKey << "=3\n/last=9";
  eConfig store;
  store.open(file_);
  const std::pair<std::string, int> values[] = {
      {"/good", 1},    {"/crlf", 4},   {"/crcrlf", -99},     {"/least", kLeast},
      {longKey, 3},    {"/last", 9},   {"# a comment", -99}, {"no equals sign", -99},
      {"", -99},       {"/big", -99},  {"/small", -99},      {"/trailing", -99},
      {"/blank", -99}, {"/plus", -99}, {"/twice", -99},      {"/empty", -99}};
  for (const auto& [key, value] : values) EXPECT_EQ(value, valueOf(store, key)) << key;
}

// Mends a fault: a setting rewrote the file with the store's own KEY=INTEGER lines alone, and
// comments, other programs' keys and lines the store cannot read were lost. That a file holding
// the value already is not even replaced by its copy is config_store_fuzzer's, on every input.
TEST_F(ConfigStore, ASettingRewritesItsOwnLineAndEveryOtherByteStays) {
  const struct {
    std::string before;
    const char* key;
    int value;
    std::string after;
  } cases[] = {
      {"# mine\n/other=yes\n/a=1\n/x=2\n", "/a", 5, "# mine\n/other=yes\n/a=5\n/x=2\n"},
      {"/x=2\r\n/a=1\r\n", "/a", 7, "/x=2\r\n/a=7\r\n"},
      {"/a=1\n/a=junk\n", "/a", 3, "/a=1\n/a=3\n"},
      {"/ab=1\n/a =2\n#/a=3\n", "/a", 4, "/ab=1\n/a =2\n#/a=3\n/a=4\n"},
      {"/x=2\r\n# no line ending", "/a", 1, "/x=2\r\n# no line ending\r\n/a=1\r\n"},
      {"/a=1\r", "/a", 2, "/a=2\r"},
      {std::string("\xFF\0bytes\n/a=1", 12), "/a", -4, std::string("\xFF\0bytes\n/a=-4", 13)},
      {"", "/a", kLeast, "/a=-2147483648\n"},
      {"/a=1\n/a=junk\n/b=2\n", "/a", 1, "/a=1\n/a=junk\n/b=2\n"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.before);
    std::ofstream(file_, std::ios::binary | std::ios::trunc) << each.before;
    eConfig store;
    store.open(file_);
    EXPECT_EQ(0, store.setKey(each.key, each.value));
    EXPECT_EQ(each.after, testsupport::contents(file_).value_or(""));
  }
}

// Mends a fault: a key another program stored while the store was open was erased by the next
// setting, which wrote back the store's own copy from the start of the run.
TEST_F(ConfigStore, WhatAnotherWriterStoredStaysAndIsReadBack) {
  eConfig store;
  store.open(file_);
  ASSERT_EQ(0, store.setKey("/a", 1));
  std::ofstream(file_) << "/a=9\n/b=2\n";

  EXPECT_EQ(0, store.setKey("/c", 3));
  EXPECT_EQ("/a=9\n/b=2\n/c=3\n", testsupport::contents(file_).value_or(""));
  EXPECT_EQ(9, valueOf(store, "/a"));
  EXPECT_EQ(2, valueOf(store, "/b"));
}

TEST_F(ConfigStore, KeyTheFileCannotHoldIsRefused) {
  eConfig store;
  store.open(file_);
  store.setKey("/a", 1);
  for (const char* key : {"", "/a=b", "/a#b", "/a\nb", "/a\rb"}) {
    EXPECT_EQ(-1, store.setKey(key, 5)) << key;
    EXPECT_EQ(-99, valueOf(store, key)) << key;
  }
  EXPECT_EQ(-1, store.setKey(nullptr, 5));
  EXPECT_EQ("/a=1\n", testsupport::contents(file_).value_or(""));
}

}  // namespace
