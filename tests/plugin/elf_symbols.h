// What a shared object offers and asks for at load time, read from its dynamic symbol table
// and dynamic section: the symbols it defines for others, those it leaves undefined, and the
// libraries it names as needed.
#pragma once

#include <filesystem>
#include <set>
#include <string>

struct DynamicSymbols {
  std::set<std::string> defined;    // global or weak, defined in the object
  std::set<std::string> undefined;  // resolved by whoever loads the object
  std::set<std::string> needed;     // DT_NEEDED entries
};

// Reads a 64-bit ELF shared object; throws std::runtime_error when it is none.
DynamicSymbols readDynamicSymbols(const std::filesystem::path& file);
