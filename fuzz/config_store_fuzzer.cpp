// The configuration store's reader, given any file: reading never fails, and what the store
// writes back reads back the same, so a second rewrite gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_support.h"
#include "host/econfig.h"

namespace {

constexpr const char* kProbeKey = "/enigma/plugins/quillon/filesort";

std::string readFile(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// Opens a store on `file`, stores the probe key, and gives the file the store wrote.
std::string rewrite(const std::filesystem::path& file) {
  eConfig store;
  store.open(file);
  int probe = 1;
  store.getKey(kProbeKey, probe);
  fuzz::require(store.setKey(kProbeKey, probe) == 0, "the store writes its file");
  return readFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = fuzz::scratchDirectory() / "config";
  fuzz::writeFile(file, data, size);
  const std::string written = rewrite(file);
  fuzz::require(rewrite(file) == written, "what the store writes reads back the same");
  return 0;
}
