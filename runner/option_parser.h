// The command lines of quillon-host and of its benchmark: long options, each either a switch or
// an option with one value, given as "--name VALUE" or "--name=VALUE". An option is known by its
// whole name only: no abbreviation such as "--ro" for "--root" is taken, so that a name added
// later never changes what an older command line means.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct OptionRule {
  std::string_view name;  // "--root"; a short alias such as "-h" is a rule of its own
  bool takesValue;
};

struct GivenOption {
  std::string_view name;  // the rule's
  std::string value;      // empty for a switch
};

// The first thing in a command line that no rule takes.
struct OptionFault {
  enum class Kind { unknownOption, unexpectedArgument, missingValue } kind;
  std::string argument;  // as given; for a missing value, the option's name
};

// The options of `arguments` in the order given, or the first fault. A switch given with
// "=VALUE" is an unknown option; a word that does not start with '-' is an unexpected argument.
std::variant<std::vector<GivenOption>, OptionFault> readOptions(
    const std::vector<std::string>& arguments, std::span<const OptionRule> rules);
