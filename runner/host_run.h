// One run of the stand-in host: the receiver's disk and configuration set up, the plug-in
// loaded and run on the terminal or on a key script, and the recordings list reported.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "runner/command_line.h"

// The whole program on `arguments` (those after its name): the command line read, the
// plug-in, catalogue and demo disk found beside the program or where it is installed, and the
// host run. Writes to `out` and `errors` as quillon-host writes to standard output and error;
// returns the exit status.
int runProgram(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errors);

// Runs the host with `options`, root and plug-in given (an empty configuration path means the
// store the disk's shape implies), writing the transcript and the list (or, for --rebuild, the
// one line that says where the list is) to `out` and messages to `errors`; returns the exit
// status.
int runHost(HostOptions options, std::ostream& out, std::ostream& errors);
