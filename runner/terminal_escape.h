// Text from the receiver's disk on the user's terminal: file names and titles may hold
// control sequences that would move the cursor, clear the screen or set the terminal's title.
// Everything quillon-host prints from the disk goes through here first.
#pragma once

#include <string>
#include <string_view>

// `text` with every byte that is not part of a printable UTF-8 character written as `\xNN`
// (two upper-case hexadecimal digits, one escape per byte): the C0 controls (line feed and
// tab included) and DEL, the C1 controls U+0080 to U+009F, and bytes that are not well-formed
// UTF-8 (overlong forms, surrogates, code points above U+10FFFF, cut-off sequences). All other
// text, backslashes included, stays as it is. Callers split multi-line text into lines first.
std::string escapeForTerminal(std::string_view text);
