// Resolving in the root where the kernel has no openat2 (kernels before 5.6, and qemu-user):
// a seccomp filter answers the call with ENOSYS, as those do, and the component-by-component
// fallback must give every answer that the kernel's resolution gives.
#include <asm/unistd.h>

#include <cstdio>

#include "movielist/recover.h"
#include "tests/movielist/receiver_fixture.h"
#include "tests/reliability/root_resolution.h"
#include "tests/reliability/syscall_fault.h"

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

TEST(RootFallback, RebuildsAndReloadsTheList) {
  DiskWithLinks disk;
  disk.root.recording("a.ts", 100);
  std::filesystem::create_directories(disk.root.root() / "hdd" / "other");
  disk.root.symlink("b.ts", "/hdd/other/b.ts", 200);
  std::ofstream(disk.root.root() / "hdd" / "other" / "b.ts") << "ts";
  EXPECT_EQ(0, resultInChildUnder(kNoOpenat2, [] {
              const bool rebuilt = recoverMovies(1) == 1 && DirMovieFile.size() == 2;
              return rebuilt && eZapMain::instance()->recordings().size() == 2 ? 0 : 1;
            }));
}

}  // namespace
}  // namespace reliability
