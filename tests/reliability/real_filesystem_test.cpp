// Faults of a real file system rather than injected ones: a small ext4 image, loop-mounted as
// the receiver root, that fills up while the list is written, that turns read-only in the
// middle of the write, and a list file marked immutable. The old list
// stays byte for byte and, once the disk is mended, the next rebuild writes the list and
// leaves nothing else beside it. And a crafted image, whose directory entries lie about types.
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <fiu-control.h>
#include <fiu.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "disk/receiver_fs.h"
#include "fixtures/receiver_builder.h"
#include "host/econfig.h"
#include "movielist/recover.h"
#include "tests/reliability/replaced_files.h"
#include "tests/support/host_process.h"
#include "tests/support/open_watch.h"
#include "tests/support/receiver_fixture.h"
#include "tests/support/receiver_in_use.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;

// A small ext4 file system of a test's own: an image file made with mkfs.ext4 and loop-mounted
// as a receiver root, so that the product meets a real full disk and a file system that is or
// turns read-only. Making one needs root and loop devices; where these are missing the tests
// say so and skip, unless QUILLON_REQUIRE_REAL_FILESYSTEMS is set (as in CI), where they fail.
class Ext4Image {
 public:
  // Why no image can be mounted here; empty when one can.
  static std::string whyUnavailable() {
    if (::geteuid() != 0) return "mounting a file system image needs root";
    if (::access("/dev/loop-control", W_OK) != 0) return "no loop devices (/dev/loop-control)";
    if (!succeeds("{ command -v mkfs.ext4 && command -v e2fsck && command -v debugfs && "
                  "command -v findmnt; }"))
      return "mkfs.ext4, e2fsck, debugfs or findmnt is missing (e2fsprogs, util-linux)";
    return "";
  }

  // Makes an image of `kibibytes` (no blocks reserved for root, who could write into them),
  // runs `debugfs` on it with the commands given, one a line, to craft what no kernel would
  // write, and mounts it with errors=remount-ro. Check mounted().
  explicit Ext4Image(unsigned kibibytes, const std::string& debugfsCommands = "") {
    char pattern[] = "/tmp/quillon-ext4.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return;
    directory_ = pattern;
    image_ = directory_ / "image";
    mountPoint_ = directory_ / "root";
    fs::create_directory(mountPoint_);
    std::ofstream(image_).close();
    fs::resize_file(image_, kibibytes * 1024ull);
    if (!succeeds("mkfs.ext4 -q -F -m 0 " + quoted(image_), &error_)) return;
    if (!debugfsCommands.empty()) {
      const fs::path commands = directory_ / "debugfs-commands";
      std::ofstream(commands) << debugfsCommands;
      if (!succeeds("debugfs -w -f " + quoted(commands) + " " + quoted(image_), &error_)) return;
    }
    mount();
  }
  Ext4Image(const Ext4Image&) = delete;
  ~Ext4Image() {
    unmount();
    // Something still open on it: detach it all the same, so that no test leaves a mount behind.
    if (mounted_) succeeds("umount -l " + quoted(mountPoint_));
    std::error_code ignored;
    if (!directory_.empty()) fs::remove_all(directory_, ignored);
  }

  bool mounted() const { return mounted_; }
  // What the tools said when making or mounting the image failed.
  const std::string& error() const { return error_; }
  const fs::path& mountPoint() const { return mountPoint_; }

  // Reports an error as the file system itself would on finding damage: with errors=remount-ro
  // it turns read-only at once, open files and all.
  bool triggerError() {
    const int fd =
        ::open(("/sys/fs/ext4/" + device_ + "/trigger_fs_error").c_str(), O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, "1", 1) == 1;
    if (fd >= 0) ::close(fd);
    return written;
  }

  // Unmounts, repairs what the error left (e2fsck) and mounts again read-write.
  bool repairAndMount() {
    unmount();
    if (mounted_) return false;
    // e2fsck exits 1 when it mended something, which is what is expected after an error.
    const int status = shell("e2fsck -fy " + quoted(image_)).status;
    return (status == 0 || status == 1) && mount();
  }

 private:
  // Runs a shell command in a clean environment, so that no preload of the test (libfiu, a
  // sanitizer runtime) reaches the system's tools; what it prints and whether it succeeded.
  static HostRun shell(const std::string& command) {
    return runProgram("/bin/sh", {"-c", command}, {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"});
  }
  // Runs `command`; on failure, `error` tells what it printed.
  static bool succeeds(const std::string& command, std::string* error = nullptr) {
    const HostRun run = shell(command);
    if (run.status != 0 && error != nullptr) *error = command + ": " + run.errors;
    return run.status == 0;
  }
  static std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

  bool mount() {
    mounted_ = succeeds(
        "mount -o loop,errors=remount-ro " + quoted(image_) + " " + quoted(mountPoint_), &error_);
    if (mounted_) {
      std::string source = shell("findmnt -no SOURCE " + quoted(mountPoint_)).out;
      if (!source.empty() && source.back() == '\n') source.pop_back();
      device_ = fs::path(source).filename();  // "loop3", the name under /sys/fs/ext4
    }
    return mounted_;
  }
  void unmount() {
    if (mounted_) mounted_ = !succeeds("umount " + quoted(mountPoint_));
  }

  fs::path directory_;  // holds the image and the mount point
  fs::path image_;
  fs::path mountPoint_;
  std::string device_;
  bool mounted_ = false;
  std::string error_;
};

// Enough recordings for a list of several of the writer's buffers.
constexpr int kRecordings = 1500;

// Makes and mounts an image of 8 MiB into `image`, crafted with `debugfsCommands`; empty when
// mounted, else why no image can be had here.
std::string makeImage(std::unique_ptr<Ext4Image>& image, const std::string& debugfsCommands = "") {
  std::string why = Ext4Image::whyUnavailable();
  if (why.empty()) {
    image = std::make_unique<Ext4Image>(8192, debugfsCommands);
    if (!image->mounted()) why = "no image could be made and mounted: " + image->error();
  }
  return why;
}

// Skips the test, saying why no image can be had, or fails it where
// QUILLON_REQUIRE_REAL_FILESYSTEMS asks for real file systems (as in CI). The caller returns.
void skipOrFail(const std::string& why) {
  if (std::getenv("QUILLON_REQUIRE_REAL_FILESYSTEMS")) FAIL() << why;
  GTEST_SKIP() << why;
}

class RealFileSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = makeImage(image); !why.empty()) return skipOrFail(why);
    root = std::make_unique<fixtures::ReceiverRoot>(image->mountPoint());
    root->file("recordings.epl", kOldList);
    std::ofstream(image->mountPoint() / "config") << kOldConfig;
    for (int index = 0; index < kRecordings; ++index)
      root->recording("recording " + std::to_string(index) + std::string(60, 'x') + ".ts", 100);
    inUse = std::make_unique<testsupport::ReceiverInUse>(image->mountPoint(),
                                                         image->mountPoint() / "config");
    entriesBefore = names(root->movieDirectory());
    ::sync();
  }

  void TearDown() override {
    inUse.reset();
    root.reset();
    image.reset();
  }

  void expectTheOldListKept() const {
    EXPECT_EQ(0, inUse->reloads());
    EXPECT_EQ(kOldList, root->readRecordingsList());
  }

  // The next rebuild, on a disk that has room again, writes the whole list and leaves
  // nothing else beside it.
  void expectTheNextRebuildToSucceed() const {
    EXPECT_EQ(1, rebuildRecordingsList(0));
    const std::string list = root->readRecordingsList().value_or("");
    EXPECT_EQ(1 + 4 * kRecordings, std::count(list.begin(), list.end(), '\n'));
    EXPECT_THAT(names(root->movieDirectory()), ElementsAreArray(entriesBefore));
  }

  std::unique_ptr<Ext4Image> image;
  std::unique_ptr<fixtures::ReceiverRoot> root;
  std::unique_ptr<testsupport::ReceiverInUse> inUse;
  std::set<std::string> entriesBefore;
};

// Appends to `file` until the file system has no block left: in ever smaller pieces, and
// again after each close, which hands back the blocks ext4 had set aside for the file.
void fill(const fs::path& file) {
  static const std::string block(1 << 16, 'f');
  for (bool grew = true; grew;) {
    grew = false;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    ASSERT_LE(0, fd);
    for (std::size_t piece = block.size(); piece >= 1024; piece /= 4) {
      while (::write(fd, block.data(), piece) == static_cast<ssize_t>(piece)) grew = true;
    }
    ::fsync(fd);
    ::close(fd);
  }
  ::sync();
}

// Fills the file system, then frees `room` bytes of it again.
void fillLeaving(const fs::path& filler, std::uintmax_t room) {
  fill(filler);
  if (room > 0) fs::resize_file(filler, fs::file_size(filler) - room);
  ::sync();
}

TEST_F(RealFileSystem, ADiskThatFillsUpDuringTheWriteKeepsTheOldList) {
  const fs::path filler = image->mountPoint() / "filler";
  // Room for the temporary file and part of the list, not for all of it.
  fillLeaving(filler, 64 * 1024);
  EXPECT_EQ(0, rebuildRecordingsList(0));
  expectTheOldListKept();
  EXPECT_THAT(names(root->movieDirectory()), ElementsAreArray(entriesBefore));
  // Full to the last block, the configuration file cannot be written either.
  fillLeaving(image->mountPoint() / "last-filler", 0);
  EXPECT_EQ(-1, eConfig::instance()->setKey(kSettingKey, 5));
  EXPECT_EQ(kOldConfig, testsupport::contents(image->mountPoint() / "config"));
  EXPECT_THAT(names(image->mountPoint()),
              ElementsAreArray({"config", "filler", "hdd", "last-filler", "lost+found"}));

  fs::remove(filler);
  fs::remove(image->mountPoint() / "last-filler");
  expectTheNextRebuildToSucceed();
}

// Turns the file system read-only the first time the list's stream is flushed, with the
// temporary file open and part of the list written; the flush itself goes ahead.
Ext4Image* failingImage = nullptr;
int turnReadOnly(const char*, int*, void**, unsigned*) {
  if (failingImage != nullptr && failingImage->triggerError()) failingImage = nullptr;
  return 0;
}

TEST_F(RealFileSystem, AFileSystemThatTurnsReadOnlyDuringTheWriteKeepsTheOldList) {
  const char* preload = std::getenv("LD_PRELOAD");
  ASSERT_TRUE(preload && std::strstr(preload, "fiu_posix_preload")) << "run under fiu-run -x";
  fiu_init(0);
  failingImage = image.get();
  fiu_enable_external("posix/stdio/fflush", 1, nullptr, 0, &turnReadOnly);
  const int result = rebuildRecordingsList(0);
  fiu_disable("posix/stdio/fflush");
  ASSERT_EQ(nullptr, failingImage) << "the error was not triggered";
  EXPECT_EQ(0, result);
  expectTheOldListKept();

  // What the aborted journal kept of the temporary file is the next rebuild's to remove.
  disk::setReceiverRoot(fs::temp_directory_path());  // the host's open root keeps the image busy
  ASSERT_TRUE(image->repairAndMount());
  disk::setReceiverRoot(image->mountPoint());
  expectTheOldListKept();
  expectTheNextRebuildToSucceed();
}

TEST_F(RealFileSystem, AnImmutableListIsLeftAloneEvenByRoot) {
  const int fd = ::open(root->recordingsList().c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_LE(0, fd);
  int flags = 0;
  ASSERT_EQ(0, ::ioctl(fd, FS_IOC_GETFLAGS, &flags));
  flags |= FS_IMMUTABLE_FL;
  ASSERT_EQ(0, ::ioctl(fd, FS_IOC_SETFLAGS, &flags));
  EXPECT_EQ(0, rebuildRecordingsList(0));
  expectTheOldListKept();
  EXPECT_THAT(names(root->movieDirectory()), ElementsAreArray(entriesBefore));

  flags &= ~FS_IMMUTABLE_FL;
  ASSERT_EQ(0, ::ioctl(fd, FS_IOC_SETFLAGS, &flags));
  ::close(fd);
  expectTheNextRebuildToSucceed();
}

// A movie directory whose "x.eit" is listed as a regular file (the directory entry's type, the
// disk's word) while its inode is the character device 1:3, the null device: what a crafted disk
// holds. The extents flag and the second and third block words must be cleared for the kernel to
// read the inode as a device; e2fsck would mend it, so it never runs on this image.
constexpr char kDeviceListedAsRegular[] =
    "mkdir hdd\nmkdir hdd/movie\ncd hdd/movie\nwrite /dev/null x.ts\nwrite /dev/null x.eit\n"
    "sif x.eit flags 0\nsif x.eit block[0] 0x103\nsif x.eit block[1] 0\nsif x.eit block[2] 0\n"
    "sif x.eit mode 020644\n";

// The type that the listing of `directory` gives the entry `name`; DT_UNKNOWN when not listed.
unsigned char listedType(const fs::path& directory, const std::string& name) {
  unsigned char type = DT_UNKNOWN;
  DIR* listing = ::opendir(directory.c_str());
  while (const dirent* entry = listing != nullptr ? ::readdir(listing) : nullptr) {
    if (name == entry->d_name) type = entry->d_type;
  }
  if (listing != nullptr) ::closedir(listing);
  return type;
}

// Mends a fault: an event file whose directory entry says "regular file" was opened at once;
// on a crafted disk (or over NFS) that type is the disk's word, and opening a device can act on
// the hardware (a watchdog starts counting down). Its type is checked first, through /proc and
// without it (quillon-host in a mount namespace without /proc), and the recording gets its file
// name.
TEST(CraftedDisk, AnEventFileListedAsRegularThatIsADeviceIsNeverOpened) {
  std::unique_ptr<Ext4Image> image;
  if (const std::string why = makeImage(image, kDeviceListedAsRegular); !why.empty())
    return skipOrFail(why);
  const fs::path root = image->mountPoint();
  const fs::path eit = root / "hdd" / "movie" / "x.eit";
  struct stat status {};
  ASSERT_EQ(0, ::lstat(eit.c_str(), &status));
  ASSERT_TRUE(S_ISCHR(status.st_mode) && status.st_rdev == makedev(1, 3)) << status.st_mode;
  ASSERT_EQ(DT_REG, listedType(eit.parent_path(), "x.eit"));
  const testsupport::OpenWatch watch(eit);
  ASSERT_TRUE(watch.watching());
  {
    const testsupport::ReceiverInUse inUse(root, root / "config");
    ASSERT_EQ(1, rebuildRecordingsList(1));
    EXPECT_EQ("x", DirMovieFile.at(0).Description);
  }
  EXPECT_EQ(0, watch.opens()) << "with /proc";
  ::close(::open(eit.c_str(), O_RDONLY | O_CLOEXEC));
  EXPECT_EQ(1, watch.opens()) << "the watch sees an open";

  if (kNoRunWithoutProc != nullptr) GTEST_SKIP() << "without /proc: " << kNoRunWithoutProc;
  fs::remove(root / "hdd" / "movie" / "recordings.epl");
  const HostRun run = runProgram(
      QUILLON_HOST_PATH, {"--root", root.string(), "--keys", "exit down down ok ok exit exit"},
      {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"}, {"", withoutProc()});
  EXPECT_EQ(0, run.status) << run.errors;
  EXPECT_THAT(testsupport::contents(root / "hdd" / "movie" / "recordings.epl").value_or(""),
              ::testing::HasSubstr("\n#DESCRIPTION: x\n"));
  EXPECT_EQ(0, watch.opens()) << "without /proc";
}

// The raw value of attribute `name` of `file`; empty when it has none.
std::string attribute(const fs::path& file, const char* name) {
  std::string value(1024, '\0');
  const ssize_t size = ::getxattr(file.c_str(), name, value.data(), value.size());
  value.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
  return value;
}

// Mends a fault: a list or settings file with an ACL was replaced by one with its permission
// bits alone; the ACL's mask stood in the group bits, so the owning group gained write access
// and the named user lost it. Other extended attributes (a Samba share's DOS attributes) were
// dropped. Where the ACL cannot be set, the group bits are its group entry narrowed by its mask.
TEST_F(RealFileSystem, AReplacedFileKeepsItsAccessListAndAttributes) {
  constexpr char kAcl[] = "system.posix_acl_access";
  constexpr char kDosAttributes[] = "user.DOSATTRIB";
  const std::string dos("0x20\0\x03\0\x03\0", 10);
  const fs::path config = image->mountPoint() / "config";
  const auto prepare = [&](const fs::path& file) {
    ASSERT_EQ(0, ::chmod(file.c_str(), 0640));
    const HostRun setfacl =
        runProgram("/bin/sh", {"-c", "setfacl -m u:nobody:rw,g::r,m::rw '" + file.string() + "'"},
                   {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"});
    ASSERT_EQ(0, setfacl.status) << "setfacl (Debian's acl, which ./dev installs): "
                                 << setfacl.errors;
    ASSERT_EQ(0, ::setxattr(file.c_str(), kDosAttributes, dos.data(), dos.size(), 0));
  };
  const fs::path files[] = {root->recordingsList(), config};
  const auto replaceBoth = [] {
    return (rebuildRecordingsList(0) == 1 ? 0 : 1) |
           (eConfig::instance()->setKey(kSettingKey, 5) == 0 ? 0 : 2);
  };

  for (const fs::path& file : files) prepare(file);
  const std::string acl = attribute(root->recordingsList(), kAcl);
  ASSERT_FALSE(acl.empty());
  ASSERT_EQ(fs::perms(0660), fs::status(config).permissions());
  ASSERT_EQ(0, replaceBoth());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file);
    EXPECT_EQ(acl, attribute(file, kAcl));
    EXPECT_EQ(dos, attribute(file, kDosAttributes));
    EXPECT_EQ(fs::perms(0660), fs::status(file).permissions());
  }
  EXPECT_EQ("/enigma/plugins/quillon/filesort=5\n", testsupport::contents(config));

  // Where no attribute can be set, the owning group may read, as its entry says, not write.
  root->file("recordings.epl", kOldList);
  std::ofstream(config, std::ios::trunc) << kOldConfig;
  for (const fs::path& file : files) prepare(file);
  for (std::vector<std::string> what :
       {std::vector<std::string>{"list"}, {"config", kSettingKey, "5"}}) {
    what.insert(what.begin(), {"-qq", "-o", "/dev/null", "--inject=fsetxattr:error=EOPNOTSUPP",
                               "--", QUILLON_REBUILD_ONCE, image->mountPoint()});
    const HostRun run = runProgram(QUILLON_STRACE, what, {});
    ASSERT_EQ(0, run.status) << run.errors;
  }
  for (const fs::path& file : files) {
    SCOPED_TRACE(file);
    EXPECT_EQ("", attribute(file, kAcl));
    EXPECT_EQ(fs::perms(0640), fs::status(file).permissions());
  }
}

}  // namespace
}  // namespace reliability
