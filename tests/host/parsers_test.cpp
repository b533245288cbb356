// The host's parsers of what a disk holds: the descriptor loop of an event record in order, and
// records whose loop, descriptors or text fields claim more bytes than they have; the
// recordings list on damaged text, what it keeps of each entry and which entries an interruption
// costs; and the fields of the service reference each entry holds.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "disk/line_reader.h"
#include "fixtures/event_builder.h"
#include "host/eitevent.h"
#include "host/recordings_list.h"
#include "host/serviceref.h"

namespace {

using fixtures::Bytes;
using fixtures::dvbText;
using fixtures::EventBuilder;

// The tags of the record's descriptors in order, a short event's name and text
// in brackets after its tag. The record is the first `length` bytes of `bytes`, parsed from a
// buffer of exactly that size, so that a read past the end is one past the buffer, where
// AddressSanitizer sees it.
std::string descriptors(const Bytes& bytes, std::size_t length) {
  const Bytes record(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
  const EITEvent event(reinterpret_cast<const eit_event_struct*>(record.data()), 0, length);
  std::string result;
  for (const auto& descriptor : event.descriptor) {
    result += " " + std::to_string(descriptor->Tag());
    if (const auto* shortEvent = dynamic_cast<const ShortEventDescriptor*>(descriptor.get()))
      result += "[" + shortEvent->event_name + "|" + shortEvent->text + "]";
  }
  return result;
}

// Tags 77 (a short event), 80 and 81. Loop and descriptor lengths that claim more bytes than
// there are end the loop at the last descriptor wholly inside; a short event's name and text
// lengths that claim more than the descriptor holds are cut there, and the next descriptor's bytes
// never become part of a field.
TEST(EitEvent, DescriptorsAndTheirFieldsEndWhereTheirBytesEnd) {
  const Bytes three = EventBuilder()
                          .descriptor(80, {1, 2})
                          .shortEvent("deu", dvbText("cut"), {})
                          .descriptor(81, {})
                          .bytes();
  const Bytes loopShort =
      EventBuilder().descriptor(80, {1}).descriptor(81, {1}).declaredLoopLength(5).bytes();
  const Bytes loopLong =
      EventBuilder().descriptor(80, {1}).descriptor(81, {}).declaredLoopLength(4000).bytes();
  const Bytes descriptorLong =
      EventBuilder().descriptor(80, {}).descriptor(77, 200, {'d', 'e', 'u', 1, 'a'}).bytes();
  const auto shortEvent = [](const Bytes& payload) {
    return EventBuilder().descriptor(77, payload).descriptor(80, {'z'}).bytes();
  };
  const struct {
    const char* what;
    Bytes bytes;
    std::size_t cut;  // bytes left out at the end
    const char* expected;
  } cases[] = {
      {"whole record", three, 0, " 80 77[cut|] 81"},
      {"last descriptor left out", three, 2, " 80 77[cut|]"},
      {"second descriptor cut in its body", three, 3, " 80"},
      {"second descriptor's header cut", three, three.size() - (12 + 4 + 1), " 80"},
      {"loop shorter than its descriptors", loopShort, 0, " 80"},
      {"loop longer than the record", loopLong, 0, " 80 81"},
      {"descriptor longer than the record", descriptorLong, 0, " 80"},
      {"name longer than the descriptor", shortEvent({'d', 'e', 'u', 10, 'a', 'b', 'c'}), 0,
       " 77[abc|] 80"},
      {"text longer than the descriptor", shortEvent({'d', 'e', 'u', 1, 'a', 9, 'x', 'y'}), 0,
       " 77[a|xy] 80"},
      {"no name length", shortEvent({'d', 'e', 'u'}), 0, " 77[|] 80"},
      {"no language", shortEvent({}), 0, " 77[|] 80"},
  };
  for (const auto& each : cases)
    EXPECT_EQ(each.expected, descriptors(each.bytes, each.bytes.size() - each.cut)) << each.what;
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
  EXPECT_EQ("/a:b.ts", reference.path);
}

}  // namespace
