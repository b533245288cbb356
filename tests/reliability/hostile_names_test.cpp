// Names that whoever filled the disk may have chosen: format directives, bytes that are no
// UTF-8, leading dashes, list-file tags, and the longest names the file system allows. Each
// is listed byte for byte, and the host reads back exactly what was written.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "tests/movielist/receiver_fixture.h"

namespace {

using fixtures::dvbText;
using fixtures::EventBuilder;

class HostileNames : public ReceiverTest {};

TEST_F(HostileNames, AreListedByteForByteAndReadBackTheSame) {
  const std::vector<std::string> names{"%s%n%x%p.ts", "\xFF\xFE\xC3.ts", "-rf.ts",
                                       "--help.ts",   "#SERVICE: x.ts",  "#DESCRIPTION: y.ts",
                                       " blank .ts"};
  for (const std::string& name : names) root.recording(name, 100);
  ASSERT_EQ(1, recoverMovies(1));

  const std::string list = *root.readRecordingsList();
  const auto& reloaded = eZapMain::instance()->recordings();
  ASSERT_EQ(names.size(), reloaded.size());
  for (const eZapMain::Recording& recording : reloaded) {
    const std::string name = recording.path.substr(std::string("/hdd/movie/").size());
    EXPECT_THAT(names, ::testing::Contains(name));
    EXPECT_EQ(name.substr(0, name.size() - 3), recording.description) << name;
    EXPECT_EQ("1:0:1:0:0:0:000000:0:0:0:" + recording.path, recording.service) << name;
    EXPECT_THAT(list, ::testing::HasSubstr("\n" + recording.path + "\n")) << name;
  }
}

TEST_F(HostileNames, FormatDirectivesInATitleAreWrittenAsText) {
  root.recording("a.ts", 100,
                 EventBuilder().shortEvent("deu", dvbText("%s%n%s%n"), dvbText("%99999d")).bytes());
  ASSERT_EQ(1, recoverMovies(1));
  EXPECT_THAT(*root.readRecordingsList(),
              ::testing::HasSubstr("\n#DESCRIPTION: %s%n%s%n - %99999d\n"));
}

// A name of 254 bytes leaves room for its event file's name; one of 255 bytes does not, as the
// event file would need 256.
TEST_F(HostileNames, TheLongestNamesFallBackWhenNoEventFileCanExist) {
  const std::string stem254(251, 'a');
  const std::string stem255(252, 'b');
  root.recording(stem254 + ".ts", 100,
                 EventBuilder().shortEvent("deu", dvbText("From its event"), {}).bytes());
  root.recording(stem255 + ".ts", 200);
  ASSERT_EQ(255u, (stem255 + ".ts").size());

  ASSERT_EQ(1, recoverMovies(3));
  ASSERT_EQ(2u, DirMovieFile.size());
  EXPECT_EQ("From its event", DirMovieFile[0].Description);
  EXPECT_EQ(stem255, DirMovieFile[1].Description);
  EXPECT_EQ(stem255, getFileName("/hdd/movie/" + stem255 + ".ts", stem255 + ".ts"));
}

}  // namespace
