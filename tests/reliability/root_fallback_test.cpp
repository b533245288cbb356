// Resolving in the root where the kernel has no openat2 (kernels before 5.6, and qemu-user):
// a seccomp filter answers the call with ENOSYS, as those do, and the component-by-component
// fallback must give every answer that the kernel's resolution gives; so must the readers where
// no /proc reopens a checked descriptor.
#include <asm/unistd.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>

#include "movielist/recover.h"
#include "tests/reliability/root_resolution.h"
#include "tests/reliability/syscall_fault.h"
#include "tests/support/child_process.h"
#include "tests/support/receiver_fixture.h"

namespace reliability {
namespace {

constexpr SyscallFault kNoOpenat2{__NR_openat2, ENOSYS, SyscallFault::When::Above, 0, 0};

TEST(RootFallback, ResolvesEveryPathAndLinkAsTheKernelDoes) {
  DiskWithLinks disk;
  EXPECT_EQ(0, resultInChildUnder(kNoOpenat2, [] {
              const std::vector<std::string> failed = DiskWithLinks::failures();
              for (const std::string& failure : failed)
                std::fprintf(stderr, "%s\n", failure.c_str());
              return failed.empty() ? 0 : 1;
            }));
}

// Without /proc (a chroot, or a mount namespace without it) no descriptor can be reopened, and
// each file is opened by name after its status: every path and link resolves as with /proc,
// and no FIFO, socket or directory is read.
TEST(RootFallback, ResolvesEveryPathAndLinkAsWithProcWithoutIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "a mount namespace needs root";
  DiskWithLinks disk;
  EXPECT_EQ(0, testsupport::resultInChild([] {
              if (::unshare(CLONE_NEWNS) != 0 ||
                  ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                  ::mount("none", "/proc", "tmpfs", 0, "size=64k") != 0)
                return 2;
              const std::vector<std::string> failed = DiskWithLinks::failures();
              for (const std::string& failure : failed)
                std::fprintf(stderr, "%s\n", failure.c_str());
              return failed.empty() ? 0 : 1;
            }));
}

TEST(RootFallback, RebuildsAndReloadsTheList) {
  DiskWithLinks disk;
  disk.root.recording("a.ts", 100);
  std::filesystem::create_directories(disk.root.root() / "hdd" / "other");
  disk.root.symlink("b.ts", "/hdd/other/b.ts", 200);
  std::ofstream(disk.root.root() / "hdd" / "other" / "b.ts") << "ts";
  // One bit for each outcome that differs, above the 2 of a fault that cannot be set.
  const int differs = resultInChildUnder(kNoOpenat2, [] {
    return (rebuildRecordingsList(1) == 1 ? 0 : 4) | (DirMovieFile.size() == 2 ? 0 : 8) |
           (eZapMain::instance()->recordings().size() == 2 ? 0 : 16);
  });
  ASSERT_TRUE(differs == 0 || (differs >= 4 && differs <= 28)) << differs;
  EXPECT_EQ(0, differs & 4) << "the rebuild failed";
  EXPECT_EQ(0, differs & 8) << "not both recordings were found";
  EXPECT_EQ(0, differs & 16) << "the reloaded list does not hold both";
}

}  // namespace
}  // namespace reliability
