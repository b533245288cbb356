// Faults of a real file system rather than injected ones: a small ext4 image, loop-mounted as
// the receiver root, whose list file is marked immutable and which then fills up while the list
// is written (a write that fails part-way for another reason: ReplaceFaults.*, Replacement.*).
// The old list stays byte for byte and, once the disk is mended, the next rebuild writes the list
// and leaves nothing else beside it. A crafted image, whose directory entries lie about types;
// and a root without /proc.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "disk/receiver_fs.h"
#include "fixtures/receiver_builder.h"
#include "host/econfig.h"
#include "movielist/recover.h"
#include "tests/reliability/replaced_files.h"
#include "tests/reliability/root_resolution.h"
#include "tests/support/child_process.h"
#include "tests/support/host_process.h"
#include "tests/support/open_watch.h"
#include "tests/support/receiver_in_use.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;

// Runs a shell command in `directory` (the test's own when empty) in a clean environment, so that
// no preload of the test (libfiu, a sanitizer runtime) reaches the system's tools; empty when it
// succeeded, else what it printed.
std::string tool(const std::string& command, const std::string& directory = "") {
  const HostRun run = runProgram("/bin/sh", {"-c", command}, {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"},
                                 {directory, {}});
  return run.status == 0 ? "" : command + ": " + run.errors;
}

// A small ext4 file system of a test's own: an 8 MiB image (no blocks reserved for root, who
// could write into them), crafted with `debugfs` commands (one a line) to hold what no kernel
// would write, and loop-mounted as a receiver root, so that the product meets a real full disk.
// The tools run in the directory that holds the image and the mount point.
class Ext4Image {
 public:
  explicit Ext4Image(const std::string& debugfsCommands) {
    error_ = tool("mkfs.ext4 -q -m 0 image 8M && mkdir root", directory_);
    if (error_.empty() && !debugfsCommands.empty())
      error_ = tool("printf '" + debugfsCommands + "' | debugfs -w -f - image", directory_);
    if (error_.empty()) error_ = tool("mount -o loop image root", directory_);
  }
  Ext4Image(const Ext4Image&) = delete;
  ~Ext4Image() {
    // Something still open on it: detach it all the same, so that no test leaves a mount behind.
    if (error_.empty()) tool("umount root || umount -l root", directory_);
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
  }

  // Empty when mounted, else what the tools said.
  const std::string& error() const { return error_; }
  fs::path mountPoint() const { return directory_ / "root"; }

 private:
  // Holds the image and the mount point.
  const fs::path directory_ = [] {
    char pattern[] = "/tmp/quillon-ext4.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return fs::path(made != nullptr ? made : "");
  }();
  std::string error_;
};

// Skips the test, saying why no image can be had (mount needs root and loop devices; mkfs.ext4
// and debugfs come with e2fsprogs), or fails it where QUILLON_REQUIRE_REAL_FILESYSTEMS asks for
// real file systems (as in CI). The caller returns.
void skipOrFail(const std::string& why) {
  if (std::getenv("QUILLON_REQUIRE_REAL_FILESYSTEMS")) FAIL() << why;
  GTEST_SKIP() << why;
}

class RealFileSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!image.error().empty()) return skipOrFail(image.error());
    root = std::make_unique<fixtures::ReceiverRoot>(
        layOut(fixtures::ReceiverRoot(image.mountPoint())));
    inUse = std::make_unique<testsupport::ReceiverInUse>(image.mountPoint(),
                                                         image.mountPoint() / "config");
    entriesBefore = names(root->movieDirectory());
    ::sync();
  }

  // A failed rebuild: the old list, nothing beside it, no reload.
  void expectTheOldListKept() const {
    EXPECT_EQ(0, inUse->reloads());
    EXPECT_EQ(kOldList, root->readRecordingsList());
    EXPECT_THAT(names(root->movieDirectory()), ElementsAreArray(entriesBefore));
  }

  // Put away in the reverse order: the host's files, the root, then the image.
  const Ext4Image image{""};
  std::unique_ptr<fixtures::ReceiverRoot> root;
  std::unique_ptr<testsupport::ReceiverInUse> inUse;
  std::set<std::string> entriesBefore;
};

// Each fault in turn: the list made immutable, which binds even root, then the disk filled but
// for 64 KiB, room for the temporary file and part of the list, not for all of it. Each rebuild
// fails and keeps the old list; once both are mended, the next one writes the whole list and
// leaves nothing else beside it.
TEST_F(RealFileSystem, AnImmutableListOrADiskThatFillsUpDuringTheWriteKeepsTheOldList) {
  const std::string list = "'" + root->recordingsList().string() + "'";
  ASSERT_EQ("", tool("chattr +i " + list));
  EXPECT_EQ(0, rebuildRecordingsList(0));
  expectTheOldListKept();
  ASSERT_EQ("", tool("chattr -i " + list));

  const fs::path filler = image.mountPoint() / "filler";
  const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  off_t size = 0;
  for (off_t piece = 1 << 20; piece >= 1024; piece /= 2) {
    while (::fallocate(fd, 0, size, piece) == 0) size += piece;
  }
  ASSERT_EQ(0, ::ftruncate(fd, size - 64 * 1024));
  ::close(fd);
  ::sync();
  EXPECT_EQ(0, rebuildRecordingsList(0));
  expectTheOldListKept();

  fs::remove(filler);
  EXPECT_EQ(1, rebuildRecordingsList(0));
  const std::string written = root->readRecordingsList().value_or("");
  EXPECT_EQ(1 + 4 * kRecordings, std::count(written.begin(), written.end(), '\n'));
  EXPECT_THAT(names(root->movieDirectory()), ElementsAreArray(entriesBefore));
}

// A movie directory whose "x.eit" is listed as a regular file (the directory entry's type, the
// disk's word) while its inode is the character device 1:3, the null device: what a crafted disk
// holds. The extents flag and the second and third block words must be cleared for the kernel to
// read the inode as a device; e2fsck would mend it, so it never runs on this image.
constexpr char kDeviceListedAsRegular[] =
    "mkdir hdd\nmkdir hdd/movie\ncd hdd/movie\nwrite /dev/null x.ts\nwrite /dev/null x.eit\n"
    "sif x.eit flags 0\nsif x.eit block[0] 0x103\nsif x.eit block[1] 0\nsif x.eit block[2] 0\n"
    "sif x.eit mode 020644\n";

// Mends a fault: an event file whose directory entry says "regular file" was opened at once;
// on a crafted disk (or over NFS) that type is the disk's word, and opening a device can act on
// the hardware (a watchdog starts counting down). Its type is checked first, through /proc and
// without it (quillon-host in a mount namespace without /proc), and the recording gets its file
// name.
TEST(CraftedDisk, AnEventFileListedAsRegularThatIsADeviceIsNeverOpened) {
  const Ext4Image image(kDeviceListedAsRegular);
  if (!image.error().empty()) return skipOrFail(image.error());
  const fs::path root = image.mountPoint();
  const fs::path eit = root / "hdd" / "movie" / "x.eit";
  // The listing's word, which the iterator keeps, is "regular file"; the inode's is "device".
  ASSERT_TRUE(std::ranges::any_of(fs::directory_iterator(eit.parent_path()),
                                  [&eit](const fs::directory_entry& entry) {
                                    return entry.path() == eit && entry.is_regular_file();
                                  }));
  const testsupport::OpenWatch watch(eit);
  ASSERT_TRUE(watch.watching());
  for (const bool withProc : {true, false}) {
    SCOPED_TRACE(withProc ? "with /proc" : "without /proc");
    if (!withProc && kNoRunWithoutProc != nullptr) GTEST_SKIP() << kNoRunWithoutProc;
    const HostRun run = runProgram(
        QUILLON_HOST_PATH, {"--root", root.string(), "--keys", "exit down down ok ok exit exit"},
        {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"},
        {"", withProc ? std::vector<std::string>{} : withoutProc()});
    EXPECT_EQ(0, run.status) << run.errors;
    EXPECT_THAT(testsupport::contents(root / "hdd" / "movie" / "recordings.epl").value_or(""),
                ::testing::HasSubstr("\n#DESCRIPTION: x\n"));
    EXPECT_EQ(0, watch.opens());
    fs::remove(root / "hdd" / "movie" / "recordings.epl");
  }
}

// Without /proc (a chroot, or a mount namespace without it) no descriptor can be reopened, and
// each file is opened by name after its status: every path and link resolves as with /proc
// (RootResolution.*), and no FIFO, socket or directory is read.
using RootFallback = DiskWithLinks;

TEST_F(RootFallback, ResolvesEveryPathAndLinkAsWithProcWithoutIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "a mount namespace needs root";
  EXPECT_EQ(0, testsupport::resultInChild([this] {
              if (::unshare(CLONE_NEWNS) != 0 ||
                  ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                  ::mount("none", "/proc", "tmpfs", 0, "size=64k") != 0)
                return 2;
              const std::vector<std::string> failed = failures();
              for (const std::string& failure : failed)
                std::fprintf(stderr, "%s\n", failure.c_str());
              return failed.empty() ? 0 : 1;
            }));
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
  const fs::path files[] = {root->recordingsList(), image.mountPoint() / "config"};
  for (const fs::path& file : files) {
    ASSERT_EQ("", tool("chmod 640 '" + file.string() + "' && setfacl -m u:nobody:rw,g::r,m::rw '" +
                       file.string() + "'"));
    ASSERT_EQ(0, ::setxattr(file.c_str(), kDosAttributes, dos.data(), dos.size(), 0));
  }
  const std::string acl = attribute(root->recordingsList(), kAcl);
  ASSERT_FALSE(acl.empty());
  ASSERT_EQ(1, rebuildRecordingsList(0));
  ASSERT_EQ(0, eConfig::instance()->setKey(kSettingKey, 5));
  for (const fs::path& file : files) {
    SCOPED_TRACE(file);
    EXPECT_EQ(acl, attribute(file, kAcl));
    EXPECT_EQ(dos, attribute(file, kDosAttributes));
    EXPECT_EQ(fs::perms(0660), fs::status(file).permissions());
  }

  // Where no attribute can be set, the owning group may read, as its entry says, not write.
  const HostRun run = runProgram(QUILLON_STRACE,
                                 {"-qq", "-o", "/dev/null", "--inject=fsetxattr:error=EOPNOTSUPP",
                                  "--", QUILLON_REBUILD_ONCE, image.mountPoint(), "list"},
                                 kTracedEnvironment);
  ASSERT_EQ(0, run.status) << run.errors;
  EXPECT_EQ("", attribute(root->recordingsList(), kAcl));
  EXPECT_EQ(fs::perms(0640), fs::status(root->recordingsList()).permissions());
}

}  // namespace
}  // namespace reliability
