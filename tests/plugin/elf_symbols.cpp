#include "tests/plugin/elf_symbols.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

template <class T>
const T& at(const std::vector<char>& bytes, std::size_t offset) {
  if (offset + sizeof(T) > bytes.size()) throw std::runtime_error("ELF file is cut short");
  return *reinterpret_cast<const T*>(bytes.data() + offset);
}

std::string stringAt(const std::vector<char>& bytes, const Elf64_Shdr& table, std::size_t index) {
  if (table.sh_offset + index >= bytes.size()) throw std::runtime_error("bad string index");
  return std::string(bytes.data() + table.sh_offset + index);
}

}  // namespace

DynamicSymbols readDynamicSymbols(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  std::vector<char> bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  const auto& header = at<Elf64_Ehdr>(bytes, 0);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
    throw std::runtime_error(file.string() + " is no 64-bit ELF file");

  DynamicSymbols result;
  for (std::size_t index = 0; index < header.e_shnum; ++index) {
    const auto& section = at<Elf64_Shdr>(bytes, header.e_shoff + index * header.e_shentsize);
    const auto& strings =
        at<Elf64_Shdr>(bytes, header.e_shoff + section.sh_link * header.e_shentsize);
    if (section.sh_type == SHT_DYNSYM) {
      for (std::size_t offset = sizeof(Elf64_Sym); offset < section.sh_size;
           offset += sizeof(Elf64_Sym)) {
        const auto& symbol = at<Elf64_Sym>(bytes, section.sh_offset + offset);
        const int binding = ELF64_ST_BIND(symbol.st_info);
        if (binding != STB_GLOBAL && binding != STB_WEAK && binding != STB_GNU_UNIQUE) continue;
        auto& into = symbol.st_shndx == SHN_UNDEF ? result.undefined : result.defined;
        into.insert(stringAt(bytes, strings, symbol.st_name));
      }
    }
    if (section.sh_type == SHT_DYNAMIC) {
      for (std::size_t offset = 0; offset < section.sh_size; offset += sizeof(Elf64_Dyn)) {
        const auto& entry = at<Elf64_Dyn>(bytes, section.sh_offset + offset);
        if (entry.d_tag == DT_NEEDED)
          result.needed.insert(stringAt(bytes, strings, entry.d_un.d_val));
      }
    }
  }
  return result;
}
