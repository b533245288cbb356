#include "tests/plugin/elf_symbols.h"

#include <elf.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

// The bytes of an ELF file, read in the file's own word size and byte order: the plug-in is
// 32-bit on a 32-bit receiver and big-endian on a big-endian one.
class ElfFile {
 public:
  explicit ElfFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    if (bytes_.size() < EI_NIDENT || std::memcmp(bytes_.data(), ELFMAG, SELFMAG) != 0)
      throw std::runtime_error("not an ELF file");
    wide_ = bytes_[EI_CLASS] == ELFCLASS64;
    bigEndian_ = bytes_[EI_DATA] == ELFDATA2MSB;
  }

  bool wide() const { return wide_; }

  // The unsigned number of `size` bytes at `offset`.
  std::uint64_t number(std::size_t offset, std::size_t size) const {
    if (offset + size > bytes_.size()) throw std::runtime_error("ELF file is cut short");
    std::uint64_t value = 0;
    for (std::size_t index = 0; index < size; ++index) {
      const auto byte = static_cast<std::uint8_t>(bytes_[offset + index]);
      value |= std::uint64_t{byte} << (8 * (bigEndian_ ? size - 1 - index : index));
    }
    return value;
  }
  // A field that is an address or an offset: 8 bytes in a 64-bit file, 4 in a 32-bit one.
  std::uint64_t word(std::size_t offset) const { return number(offset, wide_ ? 8 : 4); }

  std::string string(std::size_t offset) const {
    if (offset >= bytes_.size()) throw std::runtime_error("bad string index");
    return std::string(bytes_.data() + offset,
                       ::strnlen(bytes_.data() + offset, bytes_.size() - offset));
  }

 private:
  std::vector<char> bytes_;
  bool wide_ = true;
  bool bigEndian_ = false;
};

// Where the fields lie in the two classes of ELF file.
struct Layout {
  std::size_t sectionTable, sectionEntrySize, sectionCount;  // in the file header
  std::size_t type, link, offset, size;                      // in a section header
  std::size_t symbolSize, symbolName, symbolInfo, symbolSection;
};

constexpr Layout kElf64{offsetof(Elf64_Ehdr, e_shoff), offsetof(Elf64_Ehdr, e_shentsize),
                        offsetof(Elf64_Ehdr, e_shnum), offsetof(Elf64_Shdr, sh_type),
                        offsetof(Elf64_Shdr, sh_link), offsetof(Elf64_Shdr, sh_offset),
                        offsetof(Elf64_Shdr, sh_size), sizeof(Elf64_Sym),
                        offsetof(Elf64_Sym, st_name),  offsetof(Elf64_Sym, st_info),
                        offsetof(Elf64_Sym, st_shndx)};
constexpr Layout kElf32{offsetof(Elf32_Ehdr, e_shoff), offsetof(Elf32_Ehdr, e_shentsize),
                        offsetof(Elf32_Ehdr, e_shnum), offsetof(Elf32_Shdr, sh_type),
                        offsetof(Elf32_Shdr, sh_link), offsetof(Elf32_Shdr, sh_offset),
                        offsetof(Elf32_Shdr, sh_size), sizeof(Elf32_Sym),
                        offsetof(Elf32_Sym, st_name),  offsetof(Elf32_Sym, st_info),
                        offsetof(Elf32_Sym, st_shndx)};

}  // namespace

std::set<std::string> definedDynamicSymbols(const std::filesystem::path& file) {
  const ElfFile elf(file);
  const Layout& at = elf.wide() ? kElf64 : kElf32;
  const std::uint64_t sectionTable = elf.word(at.sectionTable);
  const std::uint64_t entrySize = elf.number(at.sectionEntrySize, 2);
  const auto section = [&](std::uint64_t index) { return sectionTable + index * entrySize; };

  std::set<std::string> defined;
  for (std::uint64_t index = 0; index < elf.number(at.sectionCount, 2); ++index) {
    if (elf.number(section(index) + at.type, 4) != SHT_DYNSYM) continue;
    const std::uint64_t symbols = elf.word(section(index) + at.offset);
    const std::uint64_t size = elf.word(section(index) + at.size);
    const std::uint64_t strings =
        elf.word(section(elf.number(section(index) + at.link, 4)) + at.offset);
    // The first symbol is the undefined one every table starts with.
    for (std::uint64_t offset = at.symbolSize; offset < size; offset += at.symbolSize) {
      const std::uint64_t symbol = symbols + offset;
      const auto binding = static_cast<unsigned>(elf.number(symbol + at.symbolInfo, 1) >> 4);
      if (elf.number(symbol + at.symbolSection, 2) == SHN_UNDEF || binding == STB_LOCAL) continue;
      defined.insert(elf.string(strings + elf.number(symbol + at.symbolName, 4)));
    }
  }
  return defined;
}
