// The host's recordings list parser on damaged text: what it keeps of each entry, and which
// entries an interruption costs.
#include <gtest/gtest.h>

#include <string>

#include "disk/line_reader.h"
#include "host/recordings_list.h"

namespace {

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

}  // namespace
