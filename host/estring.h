// The host's string: a byte string with every operation of std::string, plus a printf-style
// formatter. Every text the plug-in hands to the host is an eString.
#pragma once

#include <string>
#include <utility>

class eString : public std::string {
 public:
  using std::string::string;
  eString() = default;
  eString(const std::string& text) : std::string(text) {}
  eString(std::string&& text) : std::string(std::move(text)) {}

  // Replaces the contents with the formatted text and returns the string.
  eString& sprintf(const char* format, ...) __attribute__((format(printf, 2, 3)));
};
