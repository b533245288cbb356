// Where quillon-host finds what it needs besides itself: the plug-in, the message catalogue
// and the demo disk, relative to the program's own location, in the build tree as well as
// installed under any prefix. An installed demo disk is read-only, so a run works on the user's
// own copy of it, made on first use and kept, with the settings and the list written to it.
#pragma once

#include <filesystem>
#include <ostream>

#include "runner/failure.h"

// The places relative to the program's directory.
struct HostFileLayout {
  const char* plugin;           // the plug-in, quillon.so
  const char* localeDirectory;  // holds LANG/LC_MESSAGES/quillon-host.mo
  const char* demoDisk;         // the demo disk's root
  bool installed;               // an installed demo disk is never written to
};

// Beside the build outputs, and as `cmake --install` lays them out.
extern const HostFileLayout kBuildTreeLayout;
extern const HostFileLayout kInstalledLayout;

// The files of one layout, resolved against a program directory.
struct HostFiles {
  std::filesystem::path plugin;
  std::filesystem::path localeDirectory;
  std::filesystem::path demoDisk;
  bool installed = false;
};

// The directory of the running program, symbolic links resolved: from the path it was started
// by, made absolute against the working directory (call it before anything changes that), so
// that no /proc is needed; where that path leads nowhere (a program started from a descriptor
// that is closed by now), from /proc/self/exe. A failure when neither tells: the caller must
// not guess.
Outcome<std::filesystem::path> programDirectory();

// The build tree's files when its plug-in lies beside the program, otherwise the installed ones.
HostFiles locateHostFiles(const std::filesystem::path& programDirectory);

// The receiver root of a run without --root: the demo disk itself in the build tree; once
// installed, the user's own copy of it, made on first use in quillon/demo-disk of the user's
// data directory (XDG_DATA_HOME, or ~/.local/share: runner/user_directories.h), whose path goes
// to `notices`. A failure when there is no place for it or it cannot be made.
Outcome<std::filesystem::path> demoDiskRoot(const HostFiles& files, std::ostream& notices);

// The copy of the demo disk `from` at `place`, made where there is none yet: files,
// sub-directories and symbolic links (as links), each with its modification time, everything
// writable by its owner; missing directories above it are made readable by the user alone. It
// is built beside `place` and renamed there once whole and on the disk, so that `place` never
// holds a part of a copy. A copy already there is used as it is. Throws std::system_error,
// leaving no part of a copy behind.
std::filesystem::path makeDemoDisk(const std::filesystem::path& from,
                                   const std::filesystem::path& place);
