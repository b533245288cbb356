// The display as plain text, for the headless transcript: a widget's heading and its body,
// one line per row, text line and button row.
#pragma once

#include <string>
#include <vector>

#include "host/gui/screen.h"

// `window "Quillon v2.00" at (170, 80)`.
std::string widgetHeading(const eWidgetView& widget);
// The widget's body, each line indented by two blanks; the current row is marked with "> ".
std::vector<std::string> widgetBody(const eWidgetView& widget);
