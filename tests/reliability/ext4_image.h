// A small ext4 file system of a test's own: an image file made with mkfs.ext4 and loop-mounted
// as a receiver root, so that the product meets a real full disk and a file system that is or
// turns read-only. Making one needs root and loop devices; where these are missing the tests
// say so and skip, unless QUILLON_REQUIRE_REAL_FILESYSTEMS is set (as in CI), where they fail.
#pragma once

#include <filesystem>
#include <string>

namespace reliability {

class Ext4Image {
 public:
  // Why no image can be mounted here; empty when one can.
  static std::string whyUnavailable();

  // Makes an image of `kibibytes` (no blocks reserved for root, who could write into them)
  // and mounts it with errors=remount-ro. Check mounted().
  explicit Ext4Image(unsigned kibibytes);
  Ext4Image(const Ext4Image&) = delete;
  Ext4Image& operator=(const Ext4Image&) = delete;
  ~Ext4Image();

  bool mounted() const { return mounted_; }
  // What the tools said when making or mounting the image failed.
  const std::string& error() const { return error_; }
  const std::filesystem::path& mountPoint() const { return mountPoint_; }

  // Mounts it again read-only, or read-write; true on success.
  bool remount(bool readOnly);
  // Reports an error as the file system itself would on finding damage: with errors=remount-ro
  // it turns read-only at once, open files and all.
  bool triggerError();
  // Unmounts, repairs what the error left (e2fsck) and mounts again read-write.
  bool repairAndMount();

 private:
  bool mount();
  void unmount();

  std::filesystem::path directory_;  // holds the image and the mount point
  std::filesystem::path image_;
  std::filesystem::path mountPoint_;
  std::string device_;  // "loop3", the name under /sys/fs/ext4
  bool mounted_ = false;
  std::string error_;
};

}  // namespace reliability
