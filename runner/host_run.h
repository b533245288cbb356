// One run of the stand-in host: the receiver's disk and configuration set up, the plug-in
// loaded and run on the terminal or on a key script, and the recordings list reported.
#pragma once

#include <ostream>

#include "runner/command_line.h"

// Exit statuses besides the plug-in's own result.
inline constexpr int kExitNotWritten = 1;  // --rebuild: the list was not written
inline constexpr int kExitBadCommandLine = 2;
inline constexpr int kExitKeysEnded = 3;

// False, with the message written to `errors`, when a run could show nothing: no key script
// and no terminal. Checked before anything is set up.
bool canShowAnything(const HostOptions& options, std::ostream& errors);

// Runs the host with `options`, root and plug-in given (an empty configuration path means the
// store the disk's shape implies), writing the transcript and the list (or, for --rebuild, the
// one line that says where the list is) to `out` and messages to `errors`; returns the exit
// status.
int runHost(HostOptions options, std::ostream& out, std::ostream& errors);
