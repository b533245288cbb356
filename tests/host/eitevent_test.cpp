// EITEvent: the descriptor loop of an event record in order, and records whose loop,
// descriptors or text fields claim more bytes than they have.
#include "host/eitevent.h"

#include <gtest/gtest.h>

#include <vector>

#include "fixtures/event_builder.h"

namespace {

using fixtures::Bytes;
using fixtures::dvbText;
using fixtures::EventBuilder;

// The record of the first `length` bytes, parsed from a buffer of exactly that size, so that a
// read past the end is one past the buffer, where AddressSanitizer sees it.
EITEvent parse(const Bytes& bytes, std::size_t length) {
  const Bytes record(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
  return EITEvent(reinterpret_cast<const eit_event_struct*>(record.data()), 0, length);
}

std::vector<int> tags(const EITEvent& event) {
  std::vector<int> result;
  for (const auto& descriptor : event.descriptor) result.push_back(descriptor->Tag());
  return result;
}

TEST(EitEvent, ShortEventFieldsEndWithTheirDescriptor) {
  // {payload, name, text}: lengths that claim more than the descriptor holds are cut there,
  // and the following descriptor's bytes never become part of the field.
  const struct {
    const char* what;
    Bytes payload;
    const char* name;
    const char* text;
  } cases[] = {{"name longer than the descriptor", {'d', 'e', 'u', 10, 'a', 'b', 'c'}, "abc", ""},
               {"text longer than the descriptor", {'d', 'e', 'u', 1, 'a', 9, 'x', 'y'}, "a", "xy"},
               {"no name length", {'d', 'e', 'u'}, "", ""},
               {"no language", {}, "", ""}};
  for (const auto& [what, payload, name, text] : cases) {
    SCOPED_TRACE(what);
    const Bytes bytes = EventBuilder().descriptor(0x4D, payload).descriptor(0x50, {'z'}).bytes();
    const EITEvent event = parse(bytes, bytes.size());
    ASSERT_EQ((std::vector<int>{0x4D, 0x50}), tags(event));
    const auto& shortEvent = dynamic_cast<const ShortEventDescriptor&>(*event.descriptor[0]);
    EXPECT_EQ(name, shortEvent.event_name);
    EXPECT_EQ(text, shortEvent.text);
  }
}

TEST(EitEvent, LoopEndsAtTheFirstDescriptorPastTheLoopOrTheBytes) {
  const Bytes three = EventBuilder()
                          .descriptor(0x50, {1, 2})
                          .shortEvent("deu", dvbText("cut"), {})
                          .descriptor(0x51, {})
                          .bytes();
  const Bytes loopShort =
      EventBuilder().descriptor(0x50, {1}).descriptor(0x51, {1}).declaredLoopLength(5).bytes();
  const Bytes loopLong =
      EventBuilder().descriptor(0x50, {1}).descriptor(0x51, {}).declaredLoopLength(4000).bytes();
  const Bytes descriptorLong =
      EventBuilder().descriptor(0x50, {}).descriptor(0x4D, 200, {'d', 'e', 'u', 1, 'a'}).bytes();
  const struct {
    const char* what;
    const Bytes& bytes;
    std::size_t length;
    std::vector<int> tags;
  } cases[] = {
      {"whole record", three, three.size(), {0x50, 0x4D, 0x51}},
      {"last descriptor left out", three, three.size() - 2, {0x50, 0x4D}},
      {"second descriptor cut in its body", three, three.size() - 3, {0x50}},
      {"second descriptor's header cut", three, 12 + 4 + 1, {0x50}},
      {"loop shorter than its descriptors", loopShort, loopShort.size(), {0x50}},
      {"loop longer than the record", loopLong, loopLong.size(), {0x50, 0x51}},
      {"descriptor longer than the record", descriptorLong, descriptorLong.size(), {0x50}}};
  for (const auto& each : cases)
    EXPECT_EQ(each.tags, tags(parse(each.bytes, each.length))) << each.what;
}

}  // namespace
