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

EITEvent parse(const Bytes& bytes, std::size_t length) {
  return EITEvent(reinterpret_cast<const eit_event_struct*>(bytes.data()), 0, length);
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
    Bytes payload;
    const char* name;
    const char* text;
  } cases[] = {{{'d', 'e', 'u', 10, 'a', 'b', 'c'}, "abc", ""},
               {{'d', 'e', 'u', 1, 'a', 9, 'x', 'y'}, "a", "xy"},
               {{'d', 'e', 'u'}, "", ""},
               {{}, "", ""}};
  for (const auto& [payload, name, text] : cases) {
    const Bytes bytes = EventBuilder().descriptor(0x4D, payload).descriptor(0x50, {'z'}).bytes();
    const EITEvent event = parse(bytes, bytes.size());
    ASSERT_EQ((std::vector<int>{0x4D, 0x50}), tags(event)) << name;
    const auto& shortEvent = dynamic_cast<const ShortEventDescriptor&>(*event.descriptor[0]);
    EXPECT_EQ(name, shortEvent.event_name) << payload.size();
    EXPECT_EQ(text, shortEvent.text) << payload.size();
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
    const Bytes& bytes;
    std::size_t length;
    std::vector<int> tags;
  } cases[] = {{three, three.size(), {0x50, 0x4D, 0x51}},
               {three, three.size() - 2, {0x50, 0x4D}},
               {three, three.size() - 3, {0x50}},
               {three, 12 + 4 + 1, {0x50}},
               {loopShort, loopShort.size(), {0x50}},
               {loopLong, loopLong.size(), {0x50, 0x51}},
               {descriptorLong, descriptorLong.size(), {0x50}}};
  for (std::size_t index = 0; index < std::size(cases); ++index)
    EXPECT_EQ(cases[index].tags, tags(parse(cases[index].bytes, cases[index].length))) << index;
}

}  // namespace
