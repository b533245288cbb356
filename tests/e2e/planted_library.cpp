// A library planted where no library may come from, such as the working directory of a run:
// loaded, it says so on standard error before the program's own code runs.
#include <unistd.h>

namespace {

[[gnu::constructor]] void announce() {
  constexpr char kText[] = "planted library loaded\n";
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kText, sizeof kText - 1);
}

}  // namespace
