#include "host/eitevent.h"

#include <algorithm>
#include <cassert>
#include <span>

#include "dvbtext/dvbtext.h"
#include "host/econfig.h"
#include "host/receiver_paths.h"

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kFixedPartLength = 12;
constexpr std::int64_t kUnixEpochMjd = 40587;  // Modified Julian Date of 1970-01-01
constexpr std::int64_t kSecondsPerDay = 86400;

// Two decimal digits, one in each half of `byte`.
int bcd(std::uint8_t byte) {
  return (byte >> 4) * 10 + (byte & 0x0F);
}

// hh mm ss in three BCD bytes, as seconds.
int bcdSeconds(Bytes time) {
  assert(time.size() == 3);
  return bcd(time[0]) * 3600 + bcd(time[1]) * 60 + bcd(time[2]);
}

// The next `length` bytes of `rest`, or as many as there are; they are taken off `rest`.
Bytes takeAtMost(Bytes& rest, std::size_t length) {
  const Bytes taken = rest.first(std::min(length, rest.size()));
  rest = rest.subspan(taken.size());
  return taken;
}

// The table of text without a selector, as the host's configuration names it; read once for
// each event, before its descriptors.
int defaultTable() {
  int table = 0;
  eConfig::instance()->getKey(kDefaultTableKey, table);
  return table;
}

// A text field with its length byte in front; cut short where the descriptor ends.
eString takeText(Bytes& rest, int unmarkedTable) {
  if (rest.empty()) return {};
  const std::size_t length = takeAtMost(rest, 1)[0];
  return dvbTextToUtf8(takeAtMost(rest, length), unmarkedTable);
}

std::unique_ptr<Descriptor> shortEvent(Bytes payload, int unmarkedTable) {
  auto descriptor = std::make_unique<ShortEventDescriptor>();
  if (payload.size() < 4) return descriptor;
  const Bytes language = takeAtMost(payload, 3);
  descriptor->language_code.assign(language.begin(), language.end());
  descriptor->event_name = takeText(payload, unmarkedTable);
  descriptor->text = takeText(payload, unmarkedTable);
  return descriptor;
}

std::unique_ptr<Descriptor> makeDescriptor(std::uint8_t tag, Bytes payload, int unmarkedTable) {
  if (tag == DESCR_SHORT_EVENT) return shortEvent(payload, unmarkedTable);
  return std::make_unique<Descriptor>(tag);
}

}  // namespace

EITEvent::EITEvent(const eit_event_struct* event, int serviceKey, std::size_t length)
    : tsidonid(serviceKey) {
  if (event == nullptr || length < kFixedPartLength) return;
  const Bytes record(reinterpret_cast<const std::uint8_t*>(event), length);
  event_id = (record[0] << 8) | record[1];
  const int mjd = (record[2] << 8) | record[3];
  start_time = (mjd - kUnixEpochMjd) * kSecondsPerDay + bcdSeconds(record.subspan(4, 3));
  duration = bcdSeconds(record.subspan(7, 3));
  running_status = record[10] >> 5;
  free_CA_mode = (record[10] >> 4) & 1;
  const std::size_t loopLength = ((record[10] & 0x0F) << 8) | record[11];

  Bytes loop = record.subspan(kFixedPartLength);
  loop = loop.first(std::min(loopLength, loop.size()));
  const int unmarkedTable = defaultTable();
  // A descriptor that runs past the loop ends it; those before it stand.
  while (loop.size() >= 2 && loop[1] <= loop.size() - 2) {
    assert(loop.size() >= 2u + loop[1]);
    descriptor.push_back(makeDescriptor(loop[0], loop.subspan(2, loop[1]), unmarkedTable));
    loop = loop.subspan(2 + loop[1]);
  }
}
