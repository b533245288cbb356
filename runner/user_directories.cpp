#include "runner/user_directories.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

bool isAbsolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

}  // namespace

std::optional<fs::path> userDirectory(const char* variableValue, const char* home,
                                      const char* passwordHome, const fs::path& belowHome) {
  if (isAbsolute(variableValue)) return fs::path(variableValue);
  if (isAbsolute(home)) return home / belowHome;
  if (isAbsolute(passwordHome)) return passwordHome / belowHome;
  return std::nullopt;
}

std::optional<fs::path> userDirectory(const char* variable, const fs::path& belowHome) {
  const char* home = std::getenv("HOME");
  const passwd* user = isAbsolute(home) ? nullptr : ::getpwuid(::getuid());
  return userDirectory(std::getenv(variable), home, user != nullptr ? user->pw_dir : nullptr,
                       belowHome);
}
