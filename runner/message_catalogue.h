// The host's message catalogue: its own text domain, bound to the catalogues of the build tree
// or the installation, and a locale in which LANGUAGE chooses the language even where the
// environment names no locale.
#pragma once

#include <filesystem>

inline constexpr const char* kHostTextDomain = "quillon-host";

// Sets the locale from the environment (C.UTF-8 where that gives the C locale or none),
// binds the host's text domain to `localeDirectory` and makes it the default domain.
void setUpMessageCatalogue(const std::filesystem::path& localeDirectory);
