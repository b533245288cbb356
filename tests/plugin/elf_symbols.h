// The symbols a shared object offers at load time, read from its dynamic symbol table: those
// it defines, global or weak, for whoever loads it.
#pragma once

#include <filesystem>
#include <set>
#include <string>

// Reads an ELF shared object of either word size and byte order; throws std::runtime_error when
// it is no ELF file or is cut short.
std::set<std::string> definedDynamicSymbols(const std::filesystem::path& file);
