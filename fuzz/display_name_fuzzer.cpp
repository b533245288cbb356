// A recording's display name, with any bytes as its event file: the name is never empty for a
// recording called "news.ts", fits on one line of the list, and is the same whether the event
// file is served from memory or read from a real file in a receiver root.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <span>

#include "fuzz/fuzz_support.h"
#include "host/receiver_fs.h"
#include "movielist/display_name.h"

namespace {

bool holdsControlByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host::setReceiverRoot(fuzz::scratchDirectory());
  std::filesystem::create_directories(fuzz::scratchDirectory() / "hdd" / "movie");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const eString served = describeRecording(
      "/hdd/movie/news.ts", "news.ts", [data, size](std::span<std::byte> buffer) -> ssize_t {
        const std::size_t count = std::min(size, buffer.size());
        std::memcpy(buffer.data(), data, count);
        return static_cast<ssize_t>(count);
      });
  fuzz::require(!served.empty(), "a recording has a name");
  fuzz::require(!holdsControlByte(served), "a name fits on one line");
  fuzz::require(fuzz::isValidUtf8(served), "a name is well-formed UTF-8");

  fuzz::writeFile(fuzz::scratchDirectory() / "hdd" / "movie" / "news.eit", data, size);
  fuzz::require(getFileName("/hdd/movie/news.ts", "news.ts") == served,
                "the event file on disk names the recording as the bytes in memory do");
  return 0;
}
