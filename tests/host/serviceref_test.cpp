// string2ref: the fields of a colon-separated service reference.
#include "host/serviceref.h"

#include <gtest/gtest.h>

namespace {

TEST(String2Ref, ReadsHexadecimalDataAndThePathAfterTheTenthColon) {
  const eServiceReference reference = string2ref("1:64:6D66:437:1:C00000:EEEE0000:0:0:7:/a:b.ts");
  EXPECT_EQ(1, reference.type);
  EXPECT_EQ(64, reference.flags);
  EXPECT_EQ((std::array{0x6D66, 0x437, 1, 0xC00000, static_cast<int>(0xEEEE0000u), 0, 0, 7}),
            reference.data);
  EXPECT_EQ(1, reference.transportStreamId());
  EXPECT_EQ(0xC00000, reference.originalNetworkId());
  EXPECT_EQ("/a:b.ts", reference.path);
}

}  // namespace
