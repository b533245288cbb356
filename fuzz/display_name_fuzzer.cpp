// A recording's display name, with any bytes as its event file in a receiver root: the name is
// never empty nor only blanks for a recording called "news.ts", fits on one line of the list and
// is well-formed UTF-8.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "disk/receiver_fs.h"
#include "fuzz/fuzz_support.h"
#include "movielist/display_name.h"

namespace {

// A control byte, or a line or paragraph separator (U+2028, U+2029).
bool holdsLineBreaker(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }) ||
         text.find("\u2028") != std::string_view::npos ||
         text.find("\u2029") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  disk::setReceiverRoot(fuzz::scratchDirectory());
  std::filesystem::create_directories(fuzz::scratchDirectory() / "hdd" / "movie");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::writeFile(fuzz::scratchDirectory() / "hdd" / "movie" / "news.eit", data, size);
  const eString name = getFileName("/hdd/movie/news.ts", "news.ts");
  fuzz::require(name.find_first_not_of(' ') != eString::npos, "a recording has a visible name");
  fuzz::require(!holdsLineBreaker(name), "a name fits on one line");
  fuzz::require(fuzz::isValidUtf8(name), "a name is well-formed UTF-8");
  return 0;
}
