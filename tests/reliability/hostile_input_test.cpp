// Input that no recorder made. Names that whoever filled the disk may have chosen (format
// directives, bytes that are no UTF-8, leading dashes, list-file tags, the longest names the file
// system allows) are listed byte for byte and read back exactly as written. Event files
// that are no regular files: untrusted_disk_test.cpp.
#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/support/receiver_fixture.h"

namespace {

using fixtures::dvbText;
using fixtures::EventBuilder;

using HostileNames = ReceiverTest;

TEST_F(HostileNames, AreListedByteForByteAndReadBackTheSame) {
  // A name of 254 bytes leaves room for its event file's name, whose title holds format
  // directives; one of 255 bytes does not, as the event file would need 256.
  const std::string roomForEvent(251, 'a');
  std::vector<std::string> names{
      "%s%n%x%p.ts", "\xFF\xFE\xC3.ts",    "-rf.ts",
      "--help.ts",   "#SERVICE: x.ts",     "#DESCRIPTION: y.ts",
      " blank .ts",  roomForEvent + ".ts", std::string(252, 'b') + ".ts"};
  for (const std::string& name : names) root.recording(name, 100);
  root.file(roomForEvent + ".eit",
            EventBuilder().shortEvent("deu", dvbText("%s%n%s%n"), dvbText("%99999d")).bytes());
  ASSERT_EQ(1, rebuildRecordingsList(1));

  const auto& reloaded = eZapMain::instance()->recordings();
  ASSERT_EQ(names.size(), reloaded.size());
  for (const eZapMain::Recording& recording : reloaded) {
    const std::string name = recording.path.substr(std::string("/hdd/movie/").size());
    const std::string stem = name.substr(0, name.size() - 3);
    EXPECT_THAT(names, ::testing::Contains(name));
    EXPECT_EQ(stem == roomForEvent ? "%s%n%s%n - %99999d" : stem, recording.description) << name;
    EXPECT_EQ("1:0:1:0:0:0:000000:0:0:0:" + recording.path, recording.service) << name;
  }
}

}  // namespace
