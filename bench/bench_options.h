// The benchmark's command line.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bench {

struct Options {
  std::vector<std::size_t> sizes{1000, 10000, 100000};  // recordings in each root
  int runs = 7;                                         // timed runs of each side per size
  int sortType = 1;
  std::filesystem::path cache;  // where the roots are kept; empty: beside the program
  std::filesystem::path host;   // quillon-host; empty: the one built beside, when there is one
  bool withHost = true;
};

// Parses the arguments after the program name; nothing, with `error` set, when they are bad.
std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error);

std::string usage();

}  // namespace bench
