#include "tests/plugin/elf_symbols.h"

#include <elf.h>

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

}  // namespace

std::set<std::string> definedDynamicSymbols(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  std::vector<char> bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  const auto& header = at<Elf64_Ehdr>(bytes, 0);

  std::set<std::string> defined;
  for (std::size_t index = 0; index < header.e_shnum; ++index) {
    const auto& section = at<Elf64_Shdr>(bytes, header.e_shoff + index * header.e_shentsize);
    if (section.sh_type != SHT_DYNSYM) continue;
    const auto& strings =
        at<Elf64_Shdr>(bytes, header.e_shoff + section.sh_link * header.e_shentsize);
    for (std::size_t offset = sizeof(Elf64_Sym); offset < section.sh_size;
         offset += sizeof(Elf64_Sym)) {
      const auto& symbol = at<Elf64_Sym>(bytes, section.sh_offset + offset);
      const int binding = ELF64_ST_BIND(symbol.st_info);
      if (symbol.st_shndx == SHN_UNDEF || binding == STB_LOCAL) continue;
      if (strings.sh_offset + symbol.st_name >= bytes.size())
        throw std::runtime_error("bad string index");
      defined.insert(bytes.data() + strings.sh_offset + symbol.st_name);
    }
  }
  return defined;
}
