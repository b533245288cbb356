#include "bench/bench_options.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "runner/option_parser.h"

namespace bench {
namespace {

bool parseNumber(std::string_view text, long& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool parseSizes(std::string_view text, std::vector<std::size_t>& sizes) {
  sizes.clear();
  while (true) {
    const std::size_t comma = text.find(',');
    long size = 0;
    if (!parseNumber(text.substr(0, comma), size) || size < 1) return false;
    sizes.push_back(static_cast<std::size_t>(size));
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

// Applies `option` with `value` to `options`; false when the value is bad.
bool apply(Options& options, std::string_view option, const std::string& value) {
  long number = 0;
  if (option == "--sizes") return parseSizes(value, options.sizes);
  if (option == "--runs") {
    if (!parseNumber(value, number) || number < 1 || number > 1000) return false;
    options.runs = static_cast<int>(number);
    return true;
  }
  if (option == "--sort") {
    if (!parseNumber(value, number) || number < 1 || number > 6) return false;
    options.sortType = static_cast<int>(number);
    return true;
  }
  if (option == "--cache") options.cache = value;
  if (option == "--host") options.host = value;
  return !value.empty();
}

}  // namespace

int runsFor(const Options& options, std::size_t recordings) {
  constexpr std::size_t kFullSize = 100000;
  const std::size_t factor = std::clamp<std::size_t>(kFullSize / recordings, 1, 5);
  return options.runs * static_cast<int>(factor);
}

int coldRunsFor(const Options& options, std::size_t recordings) {
  return std::max(1, runsFor(options, recordings) / 3);
}

std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error) {
  static constexpr OptionRule kRules[] = {
      {"--no-host", false}, {"--cold", false}, {"--sizes", true}, {"--runs", true},
      {"--sort", true},     {"--cache", true}, {"--host", true}};
  const auto read = readOptions(arguments, kRules);
  if (const auto* fault = std::get_if<OptionFault>(&read)) {
    error = (fault->kind == OptionFault::Kind::missingValue ? "bad or missing value for "
                                                            : "unknown option ") +
            fault->argument;
    return std::nullopt;
  }
  Options options;
  for (const auto& [option, value] : std::get<std::vector<GivenOption>>(read)) {
    if (option == "--no-host") {
      options.withHost = false;
    } else if (option == "--cold") {
      options.cold = true;
    } else if (!apply(options, option, value)) {
      error = "bad or missing value for " + std::string(option);
      return std::nullopt;
    }
  }
  return options;
}

std::string usage() {
  return "usage: quillon-bench [--sizes N,N,...] [--runs N] [--sort 1-6] [--cache DIR]\n"
         "                     [--host PATH | --no-host] [--cold]\n"
         "  --sizes   recordings in each receiver root (default 1000,10000,100000)\n"
         "  --runs    timed runs of the rebuild and of the floor at 100,000 recordings\n"
         "            (default 9); smaller roots get up to five times as many\n"
         "  --sort    the sort type of the rebuild, 1 to 6 (default 1, file name ascending)\n"
         "  --cache   where the roots are built once and kept (default: roots/ beside the "
         "program)\n"
         "  --host    the quillon-host whose peak memory is measured (default: the one built)\n"
         "  --no-host skip the quillon-host measurement\n"
         "  --cold    also time runs with the page cache dropped before each (as root: sync,\n"
         "            then 3 into /proc/sys/vm/drop_caches), a third as many as warm ones\n";
}

}  // namespace bench
