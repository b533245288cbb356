#include "movielist/display_name.h"

#include <limits.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "host/econfig.h"
#include "host/eitevent.h"
#include "host/serviceref.h"

namespace {

constexpr std::string_view kEventSuffix = ".eit";

bool eventInformationWanted() {
  int enabled = 1;
  eConfig::instance()->getKey(kEitInfoKey, enabled);
  return enabled != 0;
}

// The key the event parser is given: the service's transport stream and network, which are
// both zero for a recording's reference. Both stand before the path in the reference, so they
// are the same for every recording, and the reference is parsed for the first one only.
int serviceKey(std::string_view path) {
  static const int key = [path] {
    const eServiceReference reference =
        string2ref(eString("1:0:1:0:0:0:0:0:0:0:") + std::string(path));
    return (reference.transportStreamId() << 16) | reference.originalNetworkId();
  }();
  return key;
}

// The title, followed by the short text when that says something more; empty when the event
// has no short event descriptor.
eString nameFromEvent(const EITEvent& event) {
  for (const auto& descriptor : event.descriptor) {
    if (descriptor->Tag() != DESCR_SHORT_EVENT) continue;
    const auto& shortEvent = static_cast<const ShortEventDescriptor&>(*descriptor);
    if (shortEvent.text.empty() || shortEvent.text == shortEvent.event_name)
      return shortEvent.event_name;
    eString name;
    name.reserve(shortEvent.event_name.size() + 3 + shortEvent.text.size());
    name.append(shortEvent.event_name).append(" - ").append(shortEvent.text);
    return name;
  }
  return {};
}

// The entry name of the event file of the recording at `path`, NUL-terminated in `entry`;
// false when it is longer than any entry name can be.
bool eventFileName(std::string_view path, std::array<char, NAME_MAX + 1>& entry) {
  std::string_view stem = withoutTsSuffix(path);
  stem.remove_prefix(std::min(stem.size(), stem.rfind('/') + 1));
  if (stem.size() + kEventSuffix.size() >= entry.size()) return false;
  std::memcpy(entry.data(), stem.data(), stem.size());
  std::memcpy(entry.data() + stem.size(), kEventSuffix.data(), kEventSuffix.size());
  entry[stem.size() + kEventSuffix.size()] = '\0';
  return true;
}

eString nameFromEventFile(const disk::Directory& directory, std::string_view path) {
  std::array<char, NAME_MAX + 1> entry;
  if (!eventFileName(path, entry)) return {};
  std::array<std::byte, kEventFileReadSize> buffer;
  const ssize_t count = directory.readStart(entry.data(), buffer);
  if (count <= static_cast<ssize_t>(sizeof(eit_event_struct))) return {};
  EITEvent event(reinterpret_cast<const eit_event_struct*>(buffer.data()), serviceKey(path),
                 static_cast<std::size_t>(count));
  return nameFromEvent(event);
}

// Broadcast titles and file names may hold control bytes and the line and paragraph separators
// U+2028 and U+2029; in a list of lines they would break the line, so each becomes a blank, as
// the DVB line break does. The event parser has dropped the other DVB control codes (C1).
void blankLineBreakers(eString& text) {
  const auto isSeparatorAt = [&text](std::size_t index) {  // E2 80 A8 or E2 80 A9
    return index + 2 < text.size() && text.compare(index, 2, "\xE2\x80") == 0 &&
           (text[index + 2] == '\xA8' || text[index + 2] == '\xA9');
  };
  std::size_t kept = 0;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const auto byte = static_cast<unsigned char>(text[index]);
    if (byte == 0xE2 && isSeparatorAt(index)) {
      text[kept++] = ' ';
      index += 2;
    } else {
      text[kept++] = byte < 0x20 || byte == 0x7F ? ' ' : text[index];
    }
  }
  text.resize(kept);
}

bool isBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

std::string_view withoutTsSuffix(std::string_view text) {
  return text.ends_with(".ts") ? text.substr(0, text.size() - 3) : text;
}

eString describeRecording(const disk::Directory& directory, std::string_view path,
                          std::string_view name, bool eventFileListed) {
  eString result;
  if (eventInformationWanted() && eventFileListed) {
    result = nameFromEventFile(directory, path);
    blankLineBreakers(result);
  }
  // A title of nothing but blanks and controls would show as a blank line in the list.
  if (isBlank(result)) {
    result = eString(withoutTsSuffix(name));
    blankLineBreakers(result);
  }
  return result;
}

eString getFileName(eString path, eString name) {
  const std::size_t slash = path.rfind('/');
  const disk::Directory directory(disk::receiverRoot(),
                                  slash == eString::npos ? "/" : path.substr(0, slash + 1));
  return describeRecording(directory, path, name);
}
