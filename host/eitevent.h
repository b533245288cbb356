// The host's parser of one event of a DVB event information table (EN 300 468, 5.2.4): the
// 12-byte fixed part followed by the descriptor loop. The recorder stores one such event in
// the ".eit" file beside each recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/estring.h"

// The raw bytes of one event; the fixed part is 12 bytes, the descriptors follow.
struct eit_event_struct {
  std::uint8_t bytes[12];
};

enum DescriptorTag { DESCR_SHORT_EVENT = 0x4D, DESCR_EXTENDED_EVENT = 0x4E };

class Descriptor {
 public:
  explicit Descriptor(int tag) : tag_(tag) {}
  virtual ~Descriptor() = default;
  int Tag() const { return tag_; }

 private:
  int tag_;
};

// Tag 77: language, event name and short text. A field whose length runs past the
// descriptor is cut at its end; a descriptor of fewer than 4 bytes leaves all three empty.
// The texts are decoded by dvbTextToUtf8, text without a selector in the table that the
// configuration store's kDefaultTableKey names as the event is parsed (read once an event).
class ShortEventDescriptor : public Descriptor {
 public:
  ShortEventDescriptor() : Descriptor(DESCR_SHORT_EVENT) {}
  eString language_code;  // the three bytes of the ISO 639 code, as stored
  eString event_name;     // UTF-8
  eString text;           // UTF-8
};

class EITEvent {
 public:
  // Parses the event in the first `length` bytes at `event`; `tsidonid` is
  // (transport stream id << 16) | original network id of the service it belongs to.
  // Nothing past `length` is read: a descriptor loop or a descriptor that runs past it is
  // cut at the last descriptor that lies wholly inside. Fewer than 12 bytes give an event
  // without descriptors.
  EITEvent(const eit_event_struct* event, int tsidonid, std::size_t length);

  int event_id = 0;
  int tsidonid = 0;
  std::int64_t start_time = 0;  // seconds since the epoch, UTC
  int duration = 0;             // seconds
  int running_status = 0;
  int free_CA_mode = 0;
  std::vector<std::unique_ptr<Descriptor>> descriptor;  // in the order of the record
};
