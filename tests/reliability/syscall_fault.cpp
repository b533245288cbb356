#include "tests/reliability/syscall_fault.h"

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>

#include <cstddef>
#include <vector>

namespace reliability {
namespace {

#if defined(__x86_64__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_AARCH64;
#else
#error "no seccomp architecture known for this machine"
#endif

// Where an argument's low 32 bits lie: first, as these little-endian machines store them.
constexpr std::uint32_t lowWordOffset(unsigned argument) {
  return offsetof(seccomp_data, args) + argument * sizeof(std::uint64_t);
}

sock_filter statement(std::uint16_t code, std::uint32_t k) {
  return BPF_STMT(code, k);
}

sock_filter jump(std::uint16_t code, std::uint32_t k, std::uint8_t ifTrue, std::uint8_t ifFalse) {
  return BPF_JUMP(code, k, ifTrue, ifFalse);
}

// The test of the judged argument: jumps one ahead (to "fail") when it holds, two (to
// "allow") when not.
sock_filter argumentTest(const SyscallFault& fault) {
  switch (fault.when) {
    case SyscallFault::When::ArgumentEquals:
      return jump(BPF_JMP | BPF_JEQ | BPF_K, fault.value, 0, 1);
    case SyscallFault::When::ArgumentHasBits:
      return jump(BPF_JMP | BPF_JSET | BPF_K, fault.value, 0, 1);
    case SyscallFault::When::ArgumentAbove:
      return jump(BPF_JMP | BPF_JGT | BPF_K, fault.value, 0, 1);
    case SyscallFault::When::Always:
      break;
  }
  return jump(BPF_JMP | BPF_JA, 0, 0, 0);
}

}  // namespace

bool installSyscallFault(const SyscallFault& fault) {
  std::vector<sock_filter> program{
      statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      jump(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 0, 5),
      statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      jump(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(fault.number), 0, 3),
      statement(BPF_LD | BPF_W | BPF_ABS, lowWordOffset(fault.argument)),
      argumentTest(fault),
      statement(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (fault.error & SECCOMP_RET_DATA)),
      statement(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

}  // namespace reliability
