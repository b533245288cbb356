#include "host/gui/keysource.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<eRCKey, const char*>, 6> kKeyNames{{
    {eRCKey::up, "up"},
    {eRCKey::down, "down"},
    {eRCKey::left, "left"},
    {eRCKey::right, "right"},
    {eRCKey::ok, "ok"},
    {eRCKey::exit, "exit"},
}};

eKeySource* activeSource = nullptr;

}  // namespace

const char* keyName(eRCKey key) {
  for (const auto& [each, name] : kKeyNames) {
    if (each == key) return name;
  }
  return "?";
}

std::optional<eRCKey> keyFromName(std::string_view name) {
  for (const auto& [key, each] : kKeyNames) {
    if (name == each) return key;
  }
  return std::nullopt;
}

eKeySource* eKeySource::getActive() {
  return activeSource;
}

void eKeySource::setActive(eKeySource* source) {
  activeSource = source;
}

eNoMoreKeys::eNoMoreKeys(const eString& waiting)
    : std::runtime_error("no more keys while " + waiting + " is open"), waiting_(waiting) {}
