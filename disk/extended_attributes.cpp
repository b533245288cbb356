#include "disk/extended_attributes.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>

#include "disk/receiver_fs.h"

namespace disk {
namespace {

constexpr const char* kAccessAcl = "system.posix_acl_access";
// A size that changes between asking and reading (another process set the attribute) is asked
// for again, this often.
constexpr int kSizeAttempts = 4;

// The raw ACL's layout (the kernel's posix_acl_xattr): a 4-byte version, then entries of a
// 2-byte tag, 2-byte permissions and 4-byte id, all little-endian.
constexpr std::uint32_t kAclVersion = 2;
constexpr std::size_t kAclHeader = 4;
constexpr std::size_t kAclEntry = 8;
constexpr unsigned kAclGroupObject = 0x04;
constexpr unsigned kAclMask = 0x10;

bool isHandedOn(std::string_view name) {
  return !name.starts_with("security.") && !name.starts_with("trusted.");
}

// The bytes `fetch(buffer, size)` yields, where fetch(nullptr, 0) gives the size: false when
// they cannot be had.
template <class Fetch>
bool fetchBytes(Fetch fetch, std::string& bytes) {
  for (int attempt = 0; attempt < kSizeAttempts; ++attempt) {
    const ssize_t size = fetch(nullptr, 0);
    if (size < 0) return false;
    bytes.resize(static_cast<std::size_t>(size));
    if (size == 0) return true;
    const ssize_t read = fetch(bytes.data(), bytes.size());
    if (read >= 0) {
      bytes.resize(static_cast<std::size_t>(read));
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

unsigned littleEndian(const std::string& bytes, std::size_t at, std::size_t length) {
  unsigned value = 0;
  for (std::size_t index = length; index-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[at + index]);
  return value;
}

}  // namespace

void ExtendedAttributes::readFrom(int directoryFd, const char* name, const struct stat& status) {
  read_ = false;
  attributes_.clear();
  // The file is checked to be the regular file found before: nothing else is opened.
  FileDescriptor file(
      ::openat(directoryFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened;
  if (!file.isOpen() || ::fstat(file.get(), &opened) != 0 || opened.st_dev != status.st_dev ||
      opened.st_ino != status.st_ino) {
    return;
  }
  const int fd = file.get();
  std::string names;
  if (!fetchBytes([fd](char* list, std::size_t size) { return ::flistxattr(fd, list, size); },
                  names)) {
    return;
  }
  read_ = true;
  for (std::size_t start = 0; start < names.size();) {
    std::size_t end = names.find('\0', start);
    if (end == std::string::npos) end = names.size();
    std::string attribute = names.substr(start, end - start);
    start = end + 1;
    std::string value;
    if (attribute.empty() || !isHandedOn(attribute) ||
        !fetchBytes(
            [fd, &attribute](char* bytes, std::size_t size) {
              return ::fgetxattr(fd, attribute.c_str(), bytes, size);
            },
            value)) {
      continue;
    }
    attributes_.emplace_back(std::move(attribute), std::move(value));
  }
}

bool ExtendedAttributes::applyTo(int fd, mode_t mode) const {
  if (!read_) return true;
  const std::string* acl = nullptr;
  for (const auto& [name, value] : attributes_) {
    if (name == kAccessAcl) {
      acl = &value;
    } else {
      // Where the process may not set it, or the file system cannot hold it, it is not kept.
      ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0);
    }
  }
  if (acl == nullptr) {
    // The folder's default ACL gave the new file one; the old file's access had none.
    ::fremovexattr(fd, kAccessAcl);
    return true;
  }
  if (::fsetxattr(fd, kAccessAcl, acl->data(), acl->size(), 0) == 0) return true;
  const mode_t group = static_cast<mode_t>(aclGroupAccess(*acl) << 3) & mode & 070;
  return ::fchmod(fd, (mode & ~mode_t{070}) | group) == 0;
}

unsigned aclGroupAccess(const std::string& acl) {
  if (acl.size() < kAclHeader || (acl.size() - kAclHeader) % kAclEntry != 0 ||
      littleEndian(acl, 0, 4) != kAclVersion) {
    return 0;
  }
  unsigned group = 0;
  unsigned mask = 07;  // an ACL without named entries has no mask
  for (std::size_t at = kAclHeader; at < acl.size(); at += kAclEntry) {
    const unsigned tag = littleEndian(acl, at, 2);
    const unsigned permissions = littleEndian(acl, at + 2, 2) & 07;
    if (tag == kAclGroupObject) group = permissions;
    if (tag == kAclMask) mask = permissions;
  }
  return group & mask;
}

}  // namespace disk
