#include "tests/reliability/ext4_image.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/support/host_process.h"

namespace reliability {
namespace {

// Runs a shell command in a clean environment, so that no preload of the test (libfiu, a
// sanitizer runtime) reaches the system's tools; what it prints and whether it succeeded.
HostRun shell(const std::string& command) {
  return runProgram("/bin/sh", {"-c", command}, {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"});
}

bool succeeds(const std::string& command) {
  return shell(command).status == 0;
}

// Runs `command`; on failure, `error` tells what it printed.
bool succeeds(const std::string& command, std::string& error) {
  const HostRun run = shell(command);
  if (run.status != 0) error = command + ": " + run.errors;
  return run.status == 0;
}

std::string quoted(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

}  // namespace

std::string Ext4Image::whyUnavailable() {
  if (::geteuid() != 0) return "mounting a file system image needs root";
  if (::access("/dev/loop-control", W_OK) != 0) return "no loop devices (/dev/loop-control)";
  if (!succeeds("{ command -v mkfs.ext4 && command -v e2fsck && command -v findmnt; }"))
    return "mkfs.ext4, e2fsck or findmnt is missing (e2fsprogs, util-linux)";
  return "";
}

Ext4Image::Ext4Image(unsigned kibibytes) {
  char pattern[] = "/tmp/quillon-ext4.XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return;
  directory_ = pattern;
  image_ = directory_ / "image";
  mountPoint_ = directory_ / "root";
  std::filesystem::create_directory(mountPoint_);
  std::ofstream(image_).close();
  std::filesystem::resize_file(image_, kibibytes * 1024ull);
  if (succeeds("mkfs.ext4 -q -F -m 0 " + quoted(image_), error_)) mount();
}

bool Ext4Image::mount() {
  mounted_ = succeeds(
      "mount -o loop,errors=remount-ro " + quoted(image_) + " " + quoted(mountPoint_), error_);
  if (mounted_) {
    std::string source = shell("findmnt -no SOURCE " + quoted(mountPoint_)).out;
    if (!source.empty() && source.back() == '\n') source.pop_back();
    device_ = std::filesystem::path(source).filename();
  }
  return mounted_;
}

void Ext4Image::unmount() {
  if (mounted_) mounted_ = !succeeds("umount " + quoted(mountPoint_));
}

Ext4Image::~Ext4Image() {
  unmount();
  // Something still open on it: detach it all the same, so that no test leaves a mount behind.
  if (mounted_) succeeds("umount -l " + quoted(mountPoint_));
  std::error_code ignored;
  if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
}

bool Ext4Image::remount(bool readOnly) {
  return ::mount(nullptr, mountPoint_.c_str(), nullptr, MS_REMOUNT | (readOnly ? MS_RDONLY : 0),
                 "errors=remount-ro") == 0;
}

bool Ext4Image::triggerError() {
  const std::string control = "/sys/fs/ext4/" + device_ + "/trigger_fs_error";
  const int fd = ::open(control.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = ::write(fd, "1", 1) == 1;
  ::close(fd);
  return written;
}

bool Ext4Image::repairAndMount() {
  unmount();
  if (mounted_) return false;
  // e2fsck exits 1 when it mended something, which is what is expected after an error.
  const int status = shell("e2fsck -fy " + quoted(image_)).status;
  return (status == 0 || status == 1) && mount();
}

}  // namespace reliability
