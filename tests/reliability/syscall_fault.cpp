#include "tests/reliability/syscall_fault.h"

#include <asm/unistd.h>
#include <linux/audit.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>

#include <cerrno>
#include <cstddef>
#include <iterator>

#include "tests/support/child_process.h"

namespace reliability {

using testsupport::resultInChild;

namespace {

// The audit architecture whose system-call numbers <asm/unistd.h> gives; 0 where this file
// does not know the CPU, and then no filter is installed.
#if defined(__x86_64__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_AARCH64;
#elif defined(__arm__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_ARM;
#elif defined(__s390x__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_S390X;
#elif defined(__i386__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_I386;
#else
constexpr std::uint32_t kArchitecture = 0;
#endif

// Where an argument's low 32 bits lie in its 64-bit slot: first on a little-endian CPU.
constexpr std::uint32_t kLowHalf = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? 4 : 0;

// Installs the filter in this process for good; false when the kernel refuses it.
bool installSyscallFault(const SyscallFault& fault) {
  if (kArchitecture == 0) return false;
  const std::uint32_t argument =
      offsetof(seccomp_data, args) + fault.argument * sizeof(std::uint64_t) + kLowHalf;
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

}  // namespace

std::optional<std::string> syscallFaultsUnavailable() {
  if (kArchitecture == 0) return "the seccomp filter does not know this CPU's system calls";
  // A filter that fails a call nobody makes, installed in a child.
  const SyscallFault nothing{__NR_getpid, EPERM, SyscallFault::When::Equals, 0, 0xFFFFFFFF};
  if (resultInChild([&] { return installSyscallFault(nothing) ? 0 : 1; }) == 0) return std::nullopt;
  return "the kernel refuses seccomp filters from this process (qemu-user refuses them from "
         "the programs it runs)";
}

int resultInChildUnder(const SyscallFault& fault, const std::function<int()>& body) {
  return resultInChild([&] { return installSyscallFault(fault) ? body() : 2; });
}

}  // namespace reliability
