// The group access that a raw ACL grants, read from its bytes as the kernel keeps them
// (little-endian on every CPU, the big-endian ones among the receivers included).
#include "disk/extended_attributes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

// The raw ACL of version 2 with the entries given: tag, permissions, id, each little-endian.
std::string acl(std::initializer_list<std::string> entries, char version = 2) {
  std::string bytes = std::string(1, version) + "\0\0\0"s;
  for (const std::string& entry : entries) bytes += entry;
  return bytes;
}
const std::string kOwner = "\x01\0\x06\0\xFF\xFF\xFF\xFF"s;      // user::rw-
const std::string kNamedUser = "\x02\0\x06\0\xFE\xFF\0\0"s;      // user:65534:rw-
const std::string kGroupRead = "\x04\0\x04\0\xFF\xFF\xFF\xFF"s;  // group::r--
const std::string kGroupAll = "\x04\0\x07\0\xFF\xFF\xFF\xFF"s;   // group::rwx
const std::string kMaskReadWrite = "\x10\0\x06\0\xFF\xFF\xFF\xFF"s;
const std::string kOther = "\x20\0\x00\0\xFF\xFF\xFF\xFF"s;

TEST(AccessList, TheGroupGetsItsEntryMaskedByTheMaskAndNothingFromWhatCannotBeRead) {
  const struct {
    const char* what;
    std::string acl;
    unsigned access;
  } cases[] = {
      {"a named user, the group's entry narrower than the mask",
       acl({kOwner, kNamedUser, kGroupRead, kMaskReadWrite, kOther}), 04},
      {"the mask narrower than the group's entry",
       acl({kOwner, kNamedUser, kGroupAll, kMaskReadWrite, kOther}), 06},
      {"no mask", acl({kOwner, kGroupAll, kOther}), 07},
      {"another version", acl({kOwner, kGroupAll, kOther}, 1), 0},
      {"an entry cut short", acl({kOwner, kGroupAll, kOther}).substr(0, 27), 0},
      {"nothing", "", 0},
  };
  for (const auto& each : cases)
    EXPECT_EQ(each.access, disk::aclGroupAccess(each.acl)) << each.what;
}

}  // namespace
