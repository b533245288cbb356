// Whether a directory of the receiver may match names without regard to case, as the FAT,
// exFAT and NTFS file systems of USB disks and network shares do: there "a.eit" opens "A.EIT",
// so a listing compared byte for byte does not tell which names an open finds.
#pragma once

#include <cstdint>

#include "disk/receiver_fs.h"

namespace disk {

// The decision for a file system of statfs type `fileSystemType` whose directory has the inode
// flags `directoryFlags` (FS_IOC_GETFLAGS): true for the types that may fold case, and for a
// directory with the casefold flag.
bool namesMayFoldCase(std::uint32_t fileSystemType, unsigned int directoryFlags);

// The decision for `directory`; true when its file system cannot be asked, so that no name is
// passed over that an open would find.
bool namesMayFoldCase(const Directory& directory);

}  // namespace disk
