// The host's parsers of what a disk holds: the descriptor loop of an event record in order, and
// records whose loop, descriptors or text fields claim more bytes than they have; the
// recordings list on damaged text, what it keeps of each entry and which entries an interruption
// costs; and the fields of the service reference each entry holds.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "disk/line_reader.h"
#include "fixtures/event_builder.h"
#include "host/eitevent.h"
#include "host/recordings_list.h"
#include "host/serviceref.h"

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

using namespace std::string_literals;

// The list's name in brackets unless empty, then one line per recording:
// service | description | path.
std::string summary(std::string_view text) {
  RecordingsListParser list;
  disk::forEachFileLine(text, [&list](std::string_view line) { list.take(line); });
  const eString name = list.listName();
  std::string lines = name.empty() ? "" : "[" + name + "]\n";
  for (const auto& recording : std::move(list).recordings())
    lines += recording.service + " | " + recording.description + " | " + recording.path + "\n";
  return lines;
}

TEST(RecordingsListParse, KeepsWhatIsWholeAndDropsWhatIsInterrupted) {
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"#SERVICE: s\n#DESCRIPTION: d\n#TYPE 1\n/p", "s | d | /p\n"},
      {"#NAME n\r\n#SERVICE: s\r\n#DESCRIPTION: d\r\n#TYPE 1\r\n/p\r\n", "[n]\ns | d | /p\n"},
      {"#SERVICE: s1\n/p1\n#SERVICE: s2\n#TYPE 1\n/p2\n#SERVICE: s3\n#DESCRIPTION:\n#TYPE\n/p3\n",
       "s1 |  | /p1\ns2 |  | /p2\ns3 |  | /p3\n"},
      {"#SERVICE: s\n#DESCRIPTION:  two  blanks: #SERVICE: \n/p\n",
       "s |  two  blanks: #SERVICE:  | /p\n"},
      {"#SERVICE: a\n#DESCRIPTION: d1\n#SERVICE: b\n#TYPE 1\n/p\n", "b |  | /p\n"},
      {"#SERVICE: s\n#DESCRIPTION: d\n#DESCRIPTION: again\n/p\n", ""},
      {"#SERVICE: s\n#DESCRIPTION: d\n#UNKNOWN\n/p\n", ""},
      {"#SERVICE: s\n#DESCRIPTION: d\n\n/p\n", ""},
      {"#SERVICE: s\n#TYPE 1\n#DESCRIPTION: d\n/p\n", ""},
      {"/stray\n#DESCRIPTION: x\n#TYPE 1\n\n#SERVICE: s\n/p\n/second\n#SERVICE: cut",
       "s |  | /p\n"},
      {"\x01\xFF\n#SERVICE: s\x00t\n/p\x80\n"s, "s\0t |  | /p\x80\n"s},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, summary(text)) << text;
}

TEST(String2Ref, ReadsHexadecimalDataAndThePathAfterTheTenthColon) {
  const eServiceReference reference = string2ref("1:64:6D66:437:1:C00000:EEEE0000:0:0:7:/a:b.ts");
  EXPECT_EQ(1, reference.type);
  EXPECT_EQ(64, reference.flags);
  EXPECT_EQ((std::array{0x6D66, 0x437, 1, 0xC00000, static_cast<int>(0xEEEE0000u), 0, 0, 7}),
            reference.data);
  EXPECT_EQ(1, reference.transportStreamId());
  EXPECT_EQ(0xC00000, reference.originalNetworkId());
  EXPECT_EQ("/a:b.ts", reference.path);
}

}  // namespace
