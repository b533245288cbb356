// Makes a system call fail as the kernel itself would fail it, for the calls that libfiu's
// wrappers cannot reach (those the C library makes internally, and those it does not wrap):
// a seccomp filter answers the call with an error number instead of running it. A filter
// lasts as long as the process, so only a child process (child_process.h) installs one.
#pragma once

#include <cstdint>

namespace reliability {

// Which calls of the system call fail, judged by one argument's low 32 bits.
struct SyscallFault {
  enum class When { Always, ArgumentEquals, ArgumentHasBits, ArgumentAbove };

  long number;  // __NR_*
  int error;    // the errno the failing calls return
  When when = When::Always;
  unsigned argument = 0;  // which argument is judged, from 0
  std::uint32_t value = 0;
};

// Installs the filter in this process for good; false when the kernel refuses it.
bool installSyscallFault(const SyscallFault& fault);

}  // namespace reliability
