#include "movielist/display_name.h"

#include <array>
#include <span>

#include "host/econfig.h"
#include "host/eitevent.h"
#include "host/serviceref.h"

namespace {

bool eventInformationWanted() {
  int enabled = 1;
  eConfig::instance()->getKey(kEitInfoKey, enabled);
  return enabled != 0;
}

// The key the event parser is given: the service's transport stream and network, which are
// both zero for a recording's reference. Both stand before the path in the reference, so they
// are the same for every recording in `directory`.
int serviceKey(const std::string& directory) {
  const eServiceReference reference = string2ref(eString("1:0:1:0:0:0:0:0:0:0:") + directory + "/");
  return (reference.transportStreamId() << 16) | reference.originalNetworkId();
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

eString RecordingNamer::nameFromEventFile(std::string_view path) const {
  std::array<char, NAME_MAX + 1> entry;
  if (!eventFileName(path, entry)) return {};
  std::array<std::byte, kEventFileReadSize> buffer;
  const ssize_t count = directory_.readStart(entry.data(), buffer);
  if (count <= static_cast<ssize_t>(sizeof(eit_event_struct))) return {};
  EITEvent event(reinterpret_cast<const eit_event_struct*>(buffer.data()), serviceKey_,
                 static_cast<std::size_t>(count));
  return nameFromEvent(event);
}

RecordingNamer::RecordingNamer(const disk::Directory& directory)
    : directory_(directory),
      eventInformationWanted_(eventInformationWanted()),
      serviceKey_(serviceKey(directory.path())) {}

eString RecordingNamer::describe(std::string_view path, std::string_view name,
                                 EventFileListing listing) const {
  eString result;
  if (eventInformationWanted_ && listing != EventFileListing::Absent) {
    result = nameFromEventFile(path);
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
  return RecordingNamer(directory).describe(path, name, EventFileListing::Unknown);
}
