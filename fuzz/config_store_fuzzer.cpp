// The configuration store, given any file: reading never fails; a setting changes its own
// key's line alone and every other line stays, as a fresh store reads back; and storing the
// value the file holds writes nothing.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "disk/line_reader.h"
#include "fuzz/fuzz_support.h"
#include "host/econfig.h"

namespace {

constexpr std::string_view kProbeKey = "/enigma/plugins/quillon/filesort";

std::string readFile(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// The lines of `text` that are no line of the probe key, each without a CR at its end: what a
// setting of the probe key must leave as it was (it may end the last line, in CR LF).
std::vector<std::string> otherLines(std::string_view text) {
  std::vector<std::string> lines;
  disk::forEachFileLine(text, [&lines](std::string_view line) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!(line.starts_with(kProbeKey) && line.substr(kProbeKey.size()).starts_with('=')))
      lines.emplace_back(line);
  });
  return lines;
}

ino_t inodeOf(const std::filesystem::path& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_ino;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = fuzz::scratchDirectory() / "config";
  fuzz::writeFile(file, data, size);
  const std::string original = readFile(file);
  const std::string key(kProbeKey);
  eConfig store;
  store.open(file);
  int probe = 1;
  store.getKey(key.c_str(), probe);
  const int changed = probe == std::numeric_limits<int>::max() ? 0 : probe + 1;
  fuzz::require(store.setKey(key.c_str(), changed) == 0, "the store writes its file");
  const std::string written = readFile(file);
  fuzz::require(otherLines(written) == otherLines(original), "every other line stays");

  eConfig fresh;
  fresh.open(file);
  int readBack = probe;
  fuzz::require(fresh.getKey(key.c_str(), readBack) == 0 && readBack == changed,
                "the value stored reads back");
  const ino_t before = inodeOf(file);
  fuzz::require(fresh.setKey(key.c_str(), changed) == 0 && readFile(file) == written &&
                    inodeOf(file) == before,
                "a value the file holds is not written again");
  return 0;
}
