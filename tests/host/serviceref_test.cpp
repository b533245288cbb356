// string2ref: the fields of a colon-separated service reference.
#include "host/serviceref.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Data = std::array<int, 8>;

TEST(String2Ref, RecordingReferenceHasZeroIdentifiers) {
  const eServiceReference reference = string2ref("1:0:1:0:0:0:0:0:0:0:/hdd/movie/news.ts");
  EXPECT_EQ(1, reference.type);
  EXPECT_EQ(0, reference.flags);
  EXPECT_EQ((Data{1, 0, 0, 0, 0, 0, 0, 0}), reference.data);
  EXPECT_EQ("/hdd/movie/news.ts", reference.path);
  EXPECT_EQ(0, reference.transportStreamId());
  EXPECT_EQ(0, reference.originalNetworkId());
}

TEST(String2Ref, DataFieldsAreHexadecimal) {
  const eServiceReference reference = string2ref("1:64:6D66:437:1:C00000:10:0:0:0:");
  EXPECT_EQ(1, reference.type);
  EXPECT_EQ(64, reference.flags);
  EXPECT_EQ((Data{0x6D66, 0x437, 0x1, 0xC00000, 0x10, 0, 0, 0}), reference.data);
  EXPECT_EQ(0x1, reference.transportStreamId());
  EXPECT_EQ(0xC00000, reference.originalNetworkId());
  EXPECT_EQ("", reference.path);
}

TEST(String2Ref, IdentifierAboveIntRangeKeepsItsBits) {
  const eServiceReference reference = string2ref("1:0:1:0:0:0:EEEE0000:0:0:0:");
  EXPECT_EQ(static_cast<int>(0xEEEE0000u), reference.data[4]);
}

TEST(String2Ref, PathIsEverythingAfterTheTenthColon) {
  const eServiceReference reference = string2ref("1:0:0:0:0:0:0:0:0:0:/hdd/movie/a:b:.ts");
  EXPECT_EQ("/hdd/movie/a:b:.ts", reference.path);
}

TEST(String2Ref, MissingFieldsReadAsZero) {
  const eServiceReference reference = string2ref("2:3:a");
  EXPECT_EQ(2, reference.type);
  EXPECT_EQ(3, reference.flags);
  EXPECT_EQ((Data{0xA, 0, 0, 0, 0, 0, 0, 0}), reference.data);
  EXPECT_EQ("", reference.path);

  const eServiceReference empty = string2ref("");
  EXPECT_EQ(0, empty.type);
  EXPECT_EQ((Data{}), empty.data);
}

TEST(String2Ref, InvalidFieldsReadAsZero) {
  const eServiceReference reference = string2ref("1x::zz:12g:-1:0x10:100000000: 5:5 :7:/p");
  EXPECT_EQ(0, reference.type);
  EXPECT_EQ(0, reference.flags);
  EXPECT_EQ((Data{0, 0, 0, 0, 0, 0, 0, 7}), reference.data);
  EXPECT_EQ("/p", reference.path);
}

}  // namespace
