// What the crash and file-system tests replace: the list and configuration file that were there
// before a rebuild or a setting.
#pragma once

#include "tests/support/files.h"

namespace reliability {

using testsupport::names;

inline constexpr char kOldList[] =
    "#NAME old\n#SERVICE: 1:0:1:0:0:0:000000:0:0:0:/hdd/movie/old.ts\n/hdd/movie/old.ts\n";
// A setting the store holds before the one a test changes.
inline constexpr char kSettingKey[] = "/enigma/plugins/quillon/filesort";
inline constexpr char kOldConfig[] = "/enigma/plugins/quillon/filesort=2\n";

}  // namespace reliability
