// Faults while the rebuild reads the movie directory's entries: an event file whose read
// fails names its recording by the file name, and an entry that vanishes between its two
// status queries is left out; the rebuild itself goes on and writes the list.
#include <asm/unistd.h>

#include <cerrno>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/fault_fixture.h"
#include "tests/reliability/syscall_fault.h"

namespace reliability {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ScanFaults : public FaultTest {};

TEST_F(ScanFaults, AnEventFileThatCannotBeReadGivesTheFileName) {
  {
    FailurePoint point("posix/io/rw/read", EIO);
    ASSERT_EQ(1, recoverMovies(1));
    EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"));
  }
  EXPECT_THAT(*root.readRecordingsList(), HasSubstr("\n#DESCRIPTION: b\n"));
  EXPECT_EQ(1, reloads());
  EXPECT_EQ("Tatort", getFileName("/hdd/movie/b.ts", "b.ts")) << "and once it reads again";
}

TEST_F(ScanFaults, AnEventFileThatCannotBeOpenedGivesTheFileName) {
  FailurePoint point("posix/io/oc/open", EACCES);
  EXPECT_EQ("b", getFileName("/hdd/movie/b.ts", "b.ts"));
}

// The first query of an entry does not follow links; the second, for a link, does. Failing
// every following query with ENOENT is what a link whose target vanished in between sees.
TEST_F(ScanFaults, AnEntryThatVanishesBetweenItsStatusQueriesIsSkipped) {
  root.symlink("link.ts", "a.ts", 300);
  const SyscallFault targetGone{__NR_newfstatat, ENOENT, SyscallFault::When::ArgumentEquals, 3, 0};
  EXPECT_EQ(0, resultInChild([&targetGone] {
              if (!installSyscallFault(targetGone)) return 2;
              return recoverMovies(1) == 1 ? 0 : 1;
            }));
  const std::string list = *root.readRecordingsList();
  EXPECT_THAT(list, HasSubstr("\n/hdd/movie/a.ts\n"));
  EXPECT_THAT(list, HasSubstr("\n/hdd/movie/b.ts\n"));
  EXPECT_THAT(list, Not(HasSubstr("link.ts")));
}

}  // namespace
}  // namespace reliability
