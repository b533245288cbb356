// The display as plain text, for the headless transcript: a widget's heading and its body, laid
// out as on the terminal (display/screen_layout.h), one line per line of the box.
#pragma once

#include <string>
#include <vector>

#include "host/gui/screen.h"

// `window "Quillon v2.00" at (170, 80)`.
std::string widgetHeading(const eWidgetView& widget);
// The widget's body, each line indented by two blanks: a window's rows, the current one marked
// with "> ", and its help text after "help: "; a message box's text and its buttons, the current
// one in brackets. A text wrapped in its box goes on over the lines below, indented alike.
std::vector<std::string> widgetBody(const eWidgetView& widget);
