// Receiver roots for the benchmark: a movie directory of many recordings as a receiver's disk
// holds them, built once with the shared builders and kept for later runs.
#pragma once

#include <cstddef>
#include <filesystem>

namespace bench {

// Lays out a receiver root with `recordings` entries ending in ".ts" under `root`: files named
// as the recorder names them, nine in ten with an event file of a short and one to four
// extended event descriptors, one in fifty a symbolic link to another recording, and two
// sub-directories. The same count always gives the same bytes.
void buildBenchRoot(const std::filesystem::path& root, std::size_t recordings);

// The root of `recordings` under `cacheDirectory`, built there on first use. A root whose
// build was interrupted is not taken: it is built anew.
std::filesystem::path cachedBenchRoot(const std::filesystem::path& cacheDirectory,
                                      std::size_t recordings);

}  // namespace bench
