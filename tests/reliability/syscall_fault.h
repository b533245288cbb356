// Makes a system call fail as the kernel itself would fail it, for the calls that libfiu's
// wrappers cannot reach (those the C library makes internally, and those it does not wrap):
// a seccomp filter answers the call with an error number instead of running it. A filter
// lasts as long as the process, so only a child process installs one.
#pragma once

#include <linux/filter.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace reliability {

// Which calls of the system call fail, judged by one argument's low 32 bits.
struct SyscallFault {
  enum class When : std::uint16_t { Equals = BPF_JEQ, HasBits = BPF_JSET, Above = BPF_JGT };

  long number;  // __NR_*
  int error;    // the errno the failing calls return
  When when;
  unsigned argument;  // which argument is judged, from 0
  std::uint32_t value;
};

// Why this process cannot have system calls failed for it, or nothing when it can. A test
// that needs a filter skips with this reason.
std::optional<std::string> syscallFaultsUnavailable();

// The result of `body` run in a child process under `fault` (child_process.h); 2 when the
// kernel refuses the filter.
int resultInChildUnder(const SyscallFault& fault, const std::function<int()>& body);

}  // namespace reliability
