// What the crash and file-system tests replace: the list and configuration file that were there
// before a rebuild or a setting, in a root with more recordings than one buffer of the list
// holds, so that the list takes several writes.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "fixtures/receiver_builder.h"
#include "tests/support/files.h"

namespace reliability {

using testsupport::names;

inline constexpr char kOldList[] =
    "#NAME old\n#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/old.ts\n/hdd/movie/old.ts\n";
// A setting the store holds before the one a test changes.
inline constexpr char kSettingKey[] = "/enigma/plugins/quillon/filesort";
inline constexpr char kOldConfig[] = "/enigma/plugins/quillon/filesort=2\n";
inline constexpr int kRecordings = 1500;
// The environment of a program run under strace. LeakSanitizer cannot work under ptrace: in the
// sanitizer build a traced program would end with its error instead of its own status.
inline const std::vector<std::string> kTracedEnvironment{"ASAN_OPTIONS=detect_leaks=0"};

// `root` (a temporary one when none is given) with the old list, the old configuration file and
// the recordings.
inline fixtures::ReceiverRoot layOut(
    fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary()) {
  root.file("recordings.epl", kOldList);
  std::ofstream(root.root() / "config") << kOldConfig;
  for (int index = 0; index < kRecordings; ++index)
    root.recording("recording " + std::to_string(index) + std::string(60, 'x') + ".ts", 100);
  return root;
}

}  // namespace reliability
