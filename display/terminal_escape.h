// Text from the receiver's disk on the user's terminal: file names and titles may hold
// control sequences that would move the cursor, clear the screen or set the terminal's title.
// Everything quillon-host prints from the disk goes through here first.
#pragma once

#include <string>
#include <string_view>

// `text` with every byte that is not part of a printable UTF-8 character written as `\xNN`
// (two upper-case hexadecimal digits, one escape per byte): the C0 controls (line feed and
// tab included) and DEL, the C1 controls U+0080 to U+009F, bytes that are not well-formed
// UTF-8 (overlong forms, surrogates, code points above U+10FFFF, cut-off sequences), and the
// invisible characters that would hide or reorder what is shown: the bidirectional marks,
// embeddings, overrides and isolates (U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069), the
// zero-width space U+200B, the word joiner U+2060, the byte order mark U+FEFF and the line and
// paragraph separators U+2028 and U+2029. All other text, backslashes, the joiners U+200C and
// U+200D and the soft hyphen included, stays as it is. Callers split multi-line text into
// lines first.
std::string escapeForTerminal(std::string_view text);
