#include "runner/option_parser.h"

#include <algorithm>

std::variant<std::vector<GivenOption>, OptionFault> readOptions(
    const std::vector<std::string>& arguments, std::span<const OptionRule> rules) {
  std::vector<GivenOption> given;
  for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
    const std::string_view word = *argument;
    const std::string_view name = word.substr(0, word.find('='));
    const auto rule = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& each) {
      return each.name == name && (each.takesValue || name.size() == word.size());
    });
    if (rule == rules.end()) {
      using enum OptionFault::Kind;
      return OptionFault{word.starts_with('-') ? unknownOption : unexpectedArgument, *argument};
    }
    if (name.size() < word.size()) {
      given.push_back({rule->name, std::string(word.substr(name.size() + 1))});
    } else if (!rule->takesValue) {
      given.push_back({rule->name, ""});
    } else if (argument + 1 == arguments.end()) {
      return OptionFault{OptionFault::Kind::missingValue, std::string(rule->name)};
    } else {
      given.push_back({rule->name, *++argument});
    }
  }
  return given;
}
