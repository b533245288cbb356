// The temporary files this process is writing, held where a signal handler can reach them: a
// fixed table of directory descriptors and names, filled and emptied without allocating, so
// that a handler for an ending signal can remove them with async-signal-safe calls only.
#pragma once

namespace disk {

inline constexpr int kMaxTemporaryFiles = 8;

// Records the temporary file `name` (one path component) in the open directory `directoryFd`
// while it is written. Returns its slot, or -1 when the table is full or the name too long:
// such a file is then left to the clean-up of the next write, as after a kill.
int holdTemporaryFile(int directoryFd, const char* name) noexcept;
// Forgets the slot: the file has been renamed or removed. -1 is ignored.
void releaseTemporaryFile(int slot) noexcept;

// Removes every temporary file held now. Async-signal-safe: it calls unlinkat only.
void removeTemporaryFiles() noexcept;

}  // namespace disk
