// The user's own directories, found by the freedesktop.org base-directory rules: a variable
// such as XDG_CONFIG_HOME names one where it holds an absolute path; where it is unset, empty or
// relative, a default below the user's home applies, the home being HOME where that is an
// absolute path, else the one the password database names for this user.
#pragma once

#include <filesystem>
#include <optional>

// `variableValue` where it is an absolute path, else `belowHome` (".config") in `home`, else in
// `passwordHome`, each only when absolute; nullopt when none is. Any of them may be null.
std::optional<std::filesystem::path> userDirectory(const char* variableValue, const char* home,
                                                   const char* passwordHome,
                                                   const std::filesystem::path& belowHome);

// The same from the environment variable named (XDG_CONFIG_HOME), HOME and this user's entry in
// the password database.
std::optional<std::filesystem::path> userDirectory(const char* variable,
                                                   const std::filesystem::path& belowHome);
