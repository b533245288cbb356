// Text on a terminal measured in the columns it takes, not in bytes or characters: an accented
// letter takes one column, a CJK character two, a combining mark none. Widths come from
// utf8proc's Unicode tables, so they are the same in every locale. Text is expected escaped
// (display/terminal_escape.h): well-formed UTF-8 without control characters, in which an escape
// (\xNN) is one piece that is never broken.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The widest piece a line must be able to hold: an escape (a CJK character takes two columns).
inline constexpr int kWidestUnit = 4;

// A line measured: its text and the columns it takes.
struct TerminalLine {
  std::string text;
  int columns = 0;
};

// The columns `text` takes.
int terminalColumns(std::string_view text);

// `text` broken into lines of at most `columns` columns (at least kWidestUnit), each with the
// columns it takes, so that whoever places a line need not measure it again. Lines break
// between words where the next word fits on a line; a word longer than a line (a run of CJK
// text, say) fills the line it starts on and goes on over the next. Text that fits is one line,
// kept as it is; the blanks where a line is broken are dropped. Empty text is one empty line.
std::vector<TerminalLine> wrapToColumns(std::string_view text, int columns);

// The longest start of `text` that takes at most `columns` columns.
TerminalLine cutToColumns(std::string_view text, int columns);
