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
  int runs = 9;  // timed runs of each side at 100,000 recordings; smaller roots get more
  int sortType = 1;
  std::filesystem::path cache;  // where the roots are kept; empty: beside the program
  std::filesystem::path host;   // quillon-host; empty: the one built beside, when there is one
  bool withHost = true;
  bool cold = false;  // also time runs with the page cache dropped before each
};

// The timed runs of each side for a root of `recordings`: a small root's runs are short and
// their times scatter more, so it gets up to five times as many.
int runsFor(const Options& options, std::size_t recordings);
// The cold-cache runs of each side: a third as many, each of which reads the disk.
int coldRunsFor(const Options& options, std::size_t recordings);

// Parses the arguments after the program name; nothing, with `error` set, when they are bad.
std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error);

std::string usage();

}  // namespace bench
