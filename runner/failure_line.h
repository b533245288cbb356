// The one line on which quillon-host tells why a task of the host failed:
//
//   quillon-host: rebuild: /srv/receiver/hdd/movie: no recordings
//   quillon-host: setting: /home/ann/enigma.conf: may not be written: Permission denied
//
// the task, the file or folder as found on this machine, and the reason; escaped for the
// terminal, without its line break.
#pragma once

#include <string>
#include <string_view>

#include "disk/file_failure.h"

std::string failureLine(std::string_view task, const disk::FileFailure& failure);
