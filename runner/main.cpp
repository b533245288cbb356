// quillon-host: plays the receiver for the Quillon plug-in, on the terminal or headless.
#include <iostream>
#include <string>
#include <vector>

#include "disk/replaced_file.h"
#include "runner/host_run.h"
#include "runner/signal_exit.h"

int main(int argc, char** argv) {
  // Before anything that holds a resource a signal must give back: the terminal, a temporary file.
  signal_exit::install();
  signal_exit::addCleanup(disk::removeTemporaryFiles);
  return runProgram(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
