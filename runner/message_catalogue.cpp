#include "runner/message_catalogue.h"

#include <libintl.h>

#include <clocale>
#include <cstring>

namespace {

// glibc ignores LANGUAGE in the C locale, which is what an environment without LANG gives.
bool isPlainC(const char* locale) {
  return locale == nullptr || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0;
}

}  // namespace

void setUpMessageCatalogue(const std::filesystem::path& localeDirectory) {
  if (isPlainC(std::setlocale(LC_ALL, ""))) std::setlocale(LC_ALL, "C.UTF-8");
  bindtextdomain(kHostTextDomain, localeDirectory.c_str());
  bind_textdomain_codeset(kHostTextDomain, "UTF-8");
  textdomain(kHostTextDomain);
}
