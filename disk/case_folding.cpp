#include "disk/case_folding.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>

#include <algorithm>
#include <iterator>

namespace disk {
namespace {

// statfs types (linux/magic.h; not every one is named there) of file systems that may match
// names without regard to case. FUSE stands for the exFAT and NTFS drivers in user space
// (fuseblk), whose type it hides.
constexpr std::uint32_t kFoldingTypes[] = {
    0x4D44,      // FAT: vfat, msdos
    0x2011BAB0,  // exFAT
    0x5346544E,  // NTFS: ntfs, ntfs3
    0x65735546,  // FUSE, fuseblk
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x517B,      // SMB
    0x482B,      // HFS+
    0x4244,      // HFS
};

}  // namespace

bool namesMayFoldCase(std::uint32_t fileSystemType, unsigned int directoryFlags) {
  if ((directoryFlags & FS_CASEFOLD_FL) != 0) return true;
  return std::find(std::begin(kFoldingTypes), std::end(kFoldingTypes), fileSystemType) !=
         std::end(kFoldingTypes);
}

bool namesMayFoldCase(const Directory& directory) {
  struct statfs fileSystem;
  if (::fstatfs(directory.fd(), &fileSystem) != 0) return true;
  // The kernel reads and writes an int here, whatever the request's declared type says.
  int flags = 0;
  if (::ioctl(directory.fd(), FS_IOC_GETFLAGS, &flags) != 0) flags = 0;
  // The type is a 32-bit magic number in a field whose width and sign vary by target.
  return namesMayFoldCase(static_cast<std::uint32_t>(fileSystem.f_type),
                          static_cast<unsigned int>(flags));
}

}  // namespace disk
