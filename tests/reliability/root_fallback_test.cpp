// Resolving in the root where no /proc reopens a checked descriptor: the readers must give every
// answer they give with /proc.
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/reliability/root_resolution.h"
#include "tests/support/child_process.h"

namespace reliability {
namespace {

// Without /proc (a chroot, or a mount namespace without it) no descriptor can be reopened, and
// each file is opened by name after its status: every path and link resolves as with /proc,
// and no FIFO, socket or directory is read.
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

}  // namespace
}  // namespace reliability
