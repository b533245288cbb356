// eString::sprintf: formats into the string, replacing what it held.
#include "host/estring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EStringSprintf, FormatsLikePrintf) {
  eString text;
  text.sprintf("%d movies in %s, %05.1f%%", 12, "/hdd/movie", 3.5);
  EXPECT_EQ("12 movies in /hdd/movie, 003.5%", text);
}

TEST(EStringSprintf, ReplacesPreviousContents) {
  eString text("a much longer text that was there before");
  text.sprintf("%s", "short");
  EXPECT_EQ("short", text);
  EXPECT_EQ(5u, text.size());
}

TEST(EStringSprintf, ReturnsTheStringItself) {
  eString text;
  eString& returned = text.sprintf("%c", 'x');
  EXPECT_EQ(&text, &returned);
}

TEST(EStringSprintf, HoldsOutputLongerThanAnyFixedBuffer) {
  const std::string longWord(10000, 'w');
  eString text;
  text.sprintf("<%s>", longWord.c_str());
  EXPECT_EQ("<" + longWord + ">", text);
}

TEST(EStringSprintf, EmptyFormatGivesEmptyString) {
  eString text("old");
  text.sprintf("%s", "");
  EXPECT_EQ("", text);
}

}  // namespace
