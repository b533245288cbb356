// The rebuild when the disk fails it: the temporary list cannot be created, a write finds no
// space, the sync or the rename fails, the directory cannot be read. Each ends with result 0,
// the old list byte for byte, no temporary file and no reload, in a process that goes on.
#include <asm/unistd.h>
#include <fcntl.h>

#include <cerrno>

#include "movielist/recover.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/fault_fixture.h"
#include "tests/reliability/syscall_fault.h"

namespace reliability {
namespace {

using When = SyscallFault::When;

class ListFaults : public FaultTest {
 protected:
  // Rebuilds in a child process under `fault`: 0 when the rebuild there gave 0 and asked for
  // no reload.
  int failedRebuildInChild(const SyscallFault& fault) {
    return resultInChild([this, &fault] {
      if (!installSyscallFault(fault)) return 2;
      return recoverMovies(1) == 0 && reloads() == 0 ? 0 : 1;
    });
  }
};

TEST_F(ListFaults, TheTemporaryListCannotBeCreated) {
  // The C library creates the file with its own internal open, which libfiu cannot wrap.
  EXPECT_EQ(0, failedRebuildInChild({__NR_openat, ENOSPC, When::ArgumentHasBits, 2, O_CREAT}));
  expectTheOldListUntouched();
  {
    FailurePoint point("posix/stdio/oc/fdopen", ENOMEM);
    EXPECT_EQ(0, recoverMovies(1));
  }
  expectTheOldListUntouched();
}

TEST_F(ListFaults, AWriteFindsNoSpaceLeft) {
  // The C library's buffered output writes with its own internal write: the kernel fails it.
  EXPECT_EQ(0, failedRebuildInChild({__NR_write, ENOSPC, When::ArgumentAbove, 0, 2}));
  expectTheOldListUntouched();
  {
    FailurePoint point("posix/stdio/fflush", ENOSPC);
    EXPECT_EQ(0, recoverMovies(1));
  }
  expectTheOldListUntouched();
}

TEST_F(ListFaults, TheSyncFails) {
  FailurePoint point("posix/io/sync/fsync", EIO);
  EXPECT_EQ(0, recoverMovies(1));
  expectTheOldListUntouched();
}

TEST_F(ListFaults, TheRenameFails) {
  FailurePoint point("posix/io/dir/rename", EIO);
  EXPECT_EQ(0, recoverMovies(1));
  expectTheOldListUntouched();
}

TEST_F(ListFaults, TheDirectoryCannotBeOpenedOrRead) {
  struct Case {
    const char* point;
    int error;
    int callsFirst;
  };
  for (const Case& fault :
       {Case{"posix/io/oc/open", EMFILE, 0}, Case{"posix/io/dir/fdopendir", ENOMEM, 0},
        Case{"posix/io/dir/readdir", EIO, 0}, Case{"posix/io/dir/readdir", EIO, 3}}) {
    {
      FailurePoint point(fault.point, fault.error, fault.callsFirst);
      EXPECT_EQ(0, recoverMovies(1)) << fault.point << " after " << fault.callsFirst;
    }
    EXPECT_TRUE(DirMovieFile.empty()) << fault.point << " after " << fault.callsFirst;
    expectTheOldListUntouched();
  }
  EXPECT_EQ(1, recoverMovies(1)) << "and once the disk reads again";
}

TEST_F(ListFaults, TheRebuildAfterAFailureWritesTheList) {
  {
    FailurePoint point("posix/io/sync/fsync", EIO);
    ASSERT_EQ(0, recoverMovies(1));
  }
  EXPECT_EQ(1, recoverMovies(1));
  EXPECT_EQ(2u, eZapMain::instance()->recordings().size());
  EXPECT_EQ(1, reloads());
}

}  // namespace
}  // namespace reliability
