// EITEvent: the fixed part of an event record, its descriptor loop in order, and records
// whose loop or descriptors run past the bytes given.
#include "host/eitevent.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fixtures/event_builder.h"

namespace {

using fixtures::Bytes;
using fixtures::dvbText;
using fixtures::EventBuilder;

EITEvent parse(const Bytes& bytes, std::size_t length) {
  return EITEvent(reinterpret_cast<const eit_event_struct*>(bytes.data()), 0, length);
}

EITEvent parse(const Bytes& bytes) {
  return parse(bytes, bytes.size());
}

std::vector<int> tags(const EITEvent& event) {
  std::vector<int> result;
  for (const auto& descriptor : event.descriptor) result.push_back(descriptor->Tag());
  return result;
}

const ShortEventDescriptor& shortEventAt(const EITEvent& event, std::size_t index) {
  return dynamic_cast<const ShortEventDescriptor&>(*event.descriptor.at(index));
}

TEST(EitEventFixedPart, DecodesEveryField) {
  const Bytes bytes{0x12, 0x34,        // event id
                    0xEE, 0x71,        // MJD 61041: 2026-01-01
                    0x12, 0x34, 0x56,  // 12:34:56
                    0x01, 0x30, 0x00,  // 1 h 30 min
                    0x90, 0x00};       // running 4, scrambled, no descriptors
  const EITEvent event(reinterpret_cast<const eit_event_struct*>(bytes.data()), 0x00010002,
                       bytes.size());
  EXPECT_EQ(0x1234, event.event_id);
  EXPECT_EQ(0x00010002, event.tsidonid);
  EXPECT_EQ(1767225600 + 12 * 3600 + 34 * 60 + 56, event.start_time);
  EXPECT_EQ(5400, event.duration);
  EXPECT_EQ(4, event.running_status);
  EXPECT_EQ(1, event.free_CA_mode);
  EXPECT_TRUE(event.descriptor.empty());
}

TEST(EitEventFixedPart, LastDayOfTheDateRange) {
  const Bytes bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x23, 0x59, 0x59, 0x99, 0x59, 0x59, 0x00, 0x00};
  const EITEvent event = parse(bytes);
  EXPECT_EQ(0xFFFF, event.event_id);
  EXPECT_EQ(2155507200 + 23 * 3600 + 59 * 60 + 59, event.start_time);  // 2038-04-22
  EXPECT_EQ(99 * 3600 + 59 * 60 + 59, event.duration);
}

TEST(EitEventFixedPart, AgreesWithTheRecorderFixture) {
  const std::int64_t start = 1893456000 + 20 * 3600 + 15 * 60;  // 2030-01-01 20:15
  const EITEvent event = parse(EventBuilder().eventId(42).start(start).duration(2700).bytes());
  EXPECT_EQ(42, event.event_id);
  EXPECT_EQ(start, event.start_time);
  EXPECT_EQ(2700, event.duration);
}

TEST(EitEventFixedPart, FewerThanTwelveBytesGiveAnEmptyEvent) {
  const Bytes bytes = EventBuilder().eventId(7).shortEvent("deu", dvbText("a"), {}).bytes();
  const EITEvent event = parse(bytes, 11);
  EXPECT_EQ(0, event.event_id);
  EXPECT_EQ(0, event.start_time);
  EXPECT_EQ(0, event.duration);
  EXPECT_TRUE(event.descriptor.empty());
}

TEST(EitEventFixedPart, TwelveBytesGiveNoDescriptors) {
  const Bytes bytes = EventBuilder().eventId(7).shortEvent("deu", dvbText("a"), {}).bytes();
  const EITEvent event = parse(bytes, 12);
  EXPECT_EQ(7, event.event_id);
  EXPECT_TRUE(event.descriptor.empty());
}

TEST(EitEventFixedPart, ThirteenBytesHoldNoWholeDescriptor) {
  const Bytes bytes = EventBuilder().descriptor(0x50, {}).bytes();
  EXPECT_TRUE(parse(bytes, 13).descriptor.empty());
  EXPECT_EQ(std::vector<int>{0x50}, tags(parse(bytes, 14)));
}

TEST(EitEventDescriptors, KeptInRecordOrder) {
  const Bytes bytes = EventBuilder()
                          .descriptor(0x50, {1, 2, 3})
                          .shortEvent("deu", dvbText("Tagesschau"), dvbText("Nachrichten"))
                          .extendedEvent("deu", dvbText("more"))
                          .shortEvent("eng", dvbText("News"), {})
                          .bytes();
  const EITEvent event = parse(bytes);
  EXPECT_EQ((std::vector<int>{0x50, 0x4D, 0x4E, 0x4D}), tags(event));
  EXPECT_EQ("Tagesschau", shortEventAt(event, 1).event_name);
  EXPECT_EQ("News", shortEventAt(event, 3).event_name);
}

TEST(EitEventDescriptors, ShortEventFields) {
  const Bytes bytes =
      EventBuilder().shortEvent("deu", dvbText({0x05}, "M\xE4rz"), dvbText("Wetter")).bytes();
  const EITEvent event = parse(bytes);
  const ShortEventDescriptor& shortEvent = shortEventAt(event, 0);
  EXPECT_EQ("deu", shortEvent.language_code);
  EXPECT_EQ("M\xC3\xA4rz", shortEvent.event_name);
  EXPECT_EQ("Wetter", shortEvent.text);
}

TEST(EitEventDescriptors, ShortEventWithEmptyFields) {
  const EITEvent event = parse(EventBuilder().shortEvent("deu", {}, {}).bytes());
  const ShortEventDescriptor& shortEvent = shortEventAt(event, 0);
  EXPECT_EQ("", shortEvent.event_name);
  EXPECT_EQ("", shortEvent.text);
}

TEST(EitEventDescriptors, ShortEventOfFewerThanFourBytesHasEmptyFields) {
  const EITEvent event = parse(EventBuilder()
                                   .descriptor(0x4D, {'d', 'e', 'u'})
                                   .descriptor(0x4D, {})
                                   .descriptor(0x4D, {'d', 'e', 'u', 0})
                                   .bytes());
  ASSERT_EQ(3u, event.descriptor.size());
  for (std::size_t index = 0; index < 3; ++index) {
    EXPECT_EQ("", shortEventAt(event, index).event_name);
    EXPECT_EQ("", shortEventAt(event, index).text);
  }
}

TEST(EitEventDescriptors, NameLongerThanItsDescriptorIsCutThere) {
  // The name claims 10 bytes but the descriptor ends after 3; the next descriptor's bytes
  // must not become part of it.
  const EITEvent event = parse(EventBuilder()
                                   .descriptor(0x4D, {'d', 'e', 'u', 10, 'a', 'b', 'c'})
                                   .descriptor(0x50, {'x', 'y', 'z'})
                                   .bytes());
  EXPECT_EQ((std::vector<int>{0x4D, 0x50}), tags(event));
  EXPECT_EQ("abc", shortEventAt(event, 0).event_name);
  EXPECT_EQ("", shortEventAt(event, 0).text);
}

TEST(EitEventDescriptors, TextLongerThanItsDescriptorIsCutThere) {
  const EITEvent event =
      parse(EventBuilder().descriptor(0x4D, {'d', 'e', 'u', 1, 'a', 9, 'x', 'y'}).bytes());
  EXPECT_EQ("a", shortEventAt(event, 0).event_name);
  EXPECT_EQ("xy", shortEventAt(event, 0).text);
}

TEST(EitEventOverrun, DescriptorPastTheBytesGivenEndsTheLoop) {
  const Bytes bytes = EventBuilder()
                          .descriptor(0x50, {1})
                          .shortEvent("deu", dvbText("cut"), {})
                          .descriptor(0x51, {})
                          .bytes();
  const std::size_t shortEventEnd = bytes.size() - 2;
  EXPECT_EQ((std::vector<int>{0x50, 0x4D, 0x51}), tags(parse(bytes)));
  EXPECT_EQ((std::vector<int>{0x50, 0x4D}), tags(parse(bytes, shortEventEnd)));
  EXPECT_EQ((std::vector<int>{0x50}), tags(parse(bytes, shortEventEnd - 1)));
  EXPECT_EQ((std::vector<int>{0x50}), tags(parse(bytes, 12 + 3 + 1)));
}

TEST(EitEventOverrun, DescriptorPastTheDeclaredLoopEndsIt) {
  const Bytes bytes = EventBuilder()
                          .descriptor(0x50, {1, 2})
                          .descriptor(0x51, {1, 2})
                          .descriptor(0x52, {})
                          .declaredLoopLength(4 + 3)
                          .bytes();
  EXPECT_EQ((std::vector<int>{0x50}), tags(parse(bytes)));
}

TEST(EitEventOverrun, LoopLongerThanTheBytesIsCutAtTheBytes) {
  const Bytes bytes =
      EventBuilder().descriptor(0x50, {1}).descriptor(0x51, {}).declaredLoopLength(4000).bytes();
  EXPECT_EQ((std::vector<int>{0x50, 0x51}), tags(parse(bytes)));
}

TEST(EitEventOverrun, DeclaredDescriptorLengthPastTheEnd) {
  const Bytes bytes = EventBuilder()
                          .descriptor(0x50, {})
                          .descriptor(0x4D, 200, {'d', 'e', 'u', 1, 'a', 0})
                          .shortEvent("deu", dvbText("after"), {})
                          .bytes();
  EXPECT_EQ((std::vector<int>{0x50}), tags(parse(bytes)));
}

TEST(EitEventOverrun, BytesAfterTheLoopAreIgnored) {
  Bytes bytes = EventBuilder().descriptor(0x50, {}).bytes();
  const Bytes trailing = EventBuilder().shortEvent("deu", dvbText("x"), {}).bytes();
  bytes.insert(bytes.end(), trailing.begin() + 12, trailing.end());
  EXPECT_EQ((std::vector<int>{0x50}), tags(parse(bytes)));
}

}  // namespace
