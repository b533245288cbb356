// What the fuzz targets share: a property check that stops the run with a finding, a strict
// UTF-8 test, and a scratch directory in memory for the targets that go through real files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace fuzz {

// A broken property is a finding: libFuzzer saves the input that broke it.
inline void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", property);
  std::abort();
}

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no surrogates,
// nothing above U+10FFFF.
inline bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = lead < 0x80   ? 1
                         : lead < 0xC2 ? 0
                         : lead < 0xE0 ? 2
                         : lead < 0xF0 ? 3
                         : lead < 0xF5 ? 4
                                       : 0;
    if (length == 0 || i + length > text.size()) return false;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) return false;
      code = code << 6 | (byte(i + k) & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

// A directory of this run under the temporary directory (run-all points TMPDIR at memory, where
// writing and syncing files costs little), removed when the run ends.
inline const std::filesystem::path& scratchDirectory() {
  struct Scratch {
    Scratch() {
      std::string pattern =
          (std::filesystem::temp_directory_path() / "quillon-fuzz.XXXXXX").string();
      require(::mkdtemp(pattern.data()) != nullptr, "a scratch directory can be made");
      path = pattern;
    }
    ~Scratch() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
  };
  static const Scratch scratch;
  return scratch.path;
}

inline void writeFile(const std::filesystem::path& path, const std::uint8_t* data,
                      std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  require(file != nullptr, "the scratch file can be written");
  require(std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0,
          "the scratch file can be written");
}

}  // namespace fuzz
