#include "disk/temporary_files.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace disk {
namespace {

enum class SlotState { Free, Filling, Held };

struct Slot {
  std::atomic<SlotState> state{SlotState::Free};
  int directoryFd = -1;
  char name[NAME_MAX + 1] = {};
};
static_assert(std::atomic<SlotState>::is_always_lock_free);

std::array<Slot, kMaxTemporaryFiles> slots;

}  // namespace

int holdTemporaryFile(int directoryFd, const char* name) noexcept {
  const std::size_t length = std::strlen(name);
  if (length > NAME_MAX) return -1;
  for (std::size_t index = 0; index < slots.size(); ++index) {
    Slot& slot = slots[index];
    SlotState free = SlotState::Free;
    if (!slot.state.compare_exchange_strong(free, SlotState::Filling)) continue;
    slot.directoryFd = directoryFd;
    std::memcpy(slot.name, name, length + 1);
    // A handler sees the slot only once it is whole.
    slot.state.store(SlotState::Held, std::memory_order_release);
    return static_cast<int>(index);
  }
  return -1;
}

void releaseTemporaryFile(int slot) noexcept {
  if (slot < 0 || slot >= kMaxTemporaryFiles) return;
  slots[static_cast<std::size_t>(slot)].state.store(SlotState::Free, std::memory_order_release);
}

void removeTemporaryFiles() noexcept {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == SlotState::Held)
      ::unlinkat(slot.directoryFd, slot.name, 0);
  }
}

}  // namespace disk
