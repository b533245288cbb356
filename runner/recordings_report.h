// The host's recordings list as text: the line written at each reload, and the whole list as
// it stands when the plug-in has returned.
#pragma once

#include <ostream>

#include "host/ezapmain.h"

// "recordings reloaded: 3 movies"
void writeReloadLine(std::ostream& out, const eZapMain& host);
// The list's name and count, then one line per movie: its path and its description. What
// comes from the disk is escaped for the terminal.
void writeRecordingsList(std::ostream& out, const eZapMain& host);
