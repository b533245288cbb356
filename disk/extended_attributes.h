// The extended attributes that a replaced file hands on to its replacement: its access ACL and
// every other attribute the process may read and set. Not handed on: security.* (a security
// label or file capabilities belong to how the new file was made, and setting them takes
// privileges) and trusted.* (for privileged programs of their own); nor what the process may
// not read.
#pragma once

#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

namespace disk {

class ExtendedAttributes {
 public:
  // Reads the attributes of `name` in `directoryFd`, the regular file `status` describes, without
  // opening anything else. What cannot be read is left out; nothing here fails.
  void readFrom(int directoryFd, const char* name, const struct stat& status);

  // Sets them on `fd`, whose owner and permission bits `mode` are set already (setting the ACL
  // rewrites the group bits from its mask). Where the ACL cannot be set, the group bits become
  // its group entry narrowed by its mask: less access than the old file gave, never more. An
  // ACL the new file inherited from its folder goes when the old file had none. False with
  // errno only when the group bits cannot be narrowed; the other attributes are set where the
  // process may.
  bool applyTo(int fd, mode_t mode) const;

 private:
  bool read_ = false;  // the old file's attributes could be listed
  std::vector<std::pair<std::string, std::string>> attributes_;  // name, value; the ACL too
};

// The group bits (0 to 7) that the raw ACL `acl` (system.posix_acl_access, little-endian on
// every CPU) grants its owning group: the group entry masked by the mask. 0 when it cannot be
// read.
unsigned aclGroupAccess(const std::string& acl);

}  // namespace disk
