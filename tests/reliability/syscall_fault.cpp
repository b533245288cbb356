#include "tests/reliability/syscall_fault.h"

#include <linux/audit.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>

#include <cstddef>
#include <iterator>

#include "tests/reliability/child_process.h"

namespace reliability {

#if !defined(__x86_64__)
#error "the filter knows the system calls of x86-64 only"
#endif
static constexpr std::uint32_t kArchitecture = AUDIT_ARCH_X86_64;

// Installs the filter in this process for good; false when the kernel refuses it.
static bool installSyscallFault(const SyscallFault& fault) {
  // An argument's low 32 bits lie first, as these little-endian machines store them.
  const std::uint32_t argument =
      offsetof(seccomp_data, args) + fault.argument * sizeof(std::uint64_t);
  const std::uint32_t error = static_cast<std::uint32_t>(fault.error) & SECCOMP_RET_DATA;
  sock_filter program[]{
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 0, 5),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(fault.number), 0, 3),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, argument),
      BPF_JUMP(BPF_JMP | static_cast<std::uint16_t>(fault.when) | BPF_K, fault.value, 0, 1),
      // to "fail" when it holds, else to "allow"
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | error),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog filter{static_cast<unsigned short>(std::size(program)), program};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

int resultInChildUnder(const SyscallFault& fault, const std::function<int()>& body) {
  return resultInChild([&] { return installSyscallFault(fault) ? body() : 2; });
}

}  // namespace reliability
