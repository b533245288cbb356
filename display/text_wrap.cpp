#include "display/text_wrap.h"

#include <utf8proc.h>

#include <algorithm>
#include <cassert>

#include "dvbtext/utf8.h"

namespace {

// One character as the terminal draws it: a code point with the marks that combine with it.
struct Character {
  std::string_view bytes;
  int columns = 0;
};

// The character that `text` starts with; a byte that is not UTF-8 stands for itself, one
// column wide.
utf8::Character firstCodePoint(std::string_view text) {
  const utf8::Character character = utf8::front(text);
  return character.length > 0 ? character : utf8::Character{'?', 1};
}

int columnsOf(utf8::Character character) {
  return utf8proc_charwidth(static_cast<utf8proc_int32_t>(character.codePoint));
}

bool isUpperHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The length of the escape (display/terminal_escape.h) that `text` starts with, or 0.
std::size_t escapeLength(std::string_view text) {
  constexpr std::size_t kLength = 4;  // \xNN
  const bool escape = text.size() >= kLength && text.starts_with("\\x") &&
                      isUpperHexDigit(text[2]) && isUpperHexDigit(text[3]);
  return escape ? kLength : 0;
}

// The first piece of `text` that a line may not break: an escape, or a character with the marks
// that combine with it.
Character firstCharacter(std::string_view text) {
  if (const std::size_t escape = escapeLength(text); escape > 0)
    return {text.substr(0, escape), static_cast<int>(escape)};
  const utf8::Character first = firstCodePoint(text);
  std::size_t length = first.length;
  while (length < text.size()) {
    const utf8::Character next = firstCodePoint(text.substr(length));
    if (columnsOf(next) != 0) break;
    length += next.length;
  }
  return {text.substr(0, length), columnsOf(first)};
}

// Builds the lines of a wrapped text one word at a time.
class LineBreaker {
 public:
  explicit LineBreaker(int columns) : limit_(columns) {}

  // Adds `word`, preceded by `blanks` where it goes on the same line.
  void addWord(std::string_view blanks, std::string_view word) {
    const int wordColumns = terminalColumns(word);
    if (lineColumns_ + static_cast<int>(blanks.size()) + wordColumns <= limit_) {
      append(blanks, static_cast<int>(blanks.size()));
      append(word, wordColumns);
    } else if (wordColumns <= limit_) {
      if (lineColumns_ > 0) breakLine();
      append(word, wordColumns);
    } else {
      // Longer than a line: it fills this line and goes on over the next ones.
      const int room = limit_ - lineColumns_ - static_cast<int>(blanks.size());
      if (room >= firstCharacter(word).columns) {
        append(blanks, static_cast<int>(blanks.size()));
      } else if (lineColumns_ > 0) {
        breakLine();
      }
      addLongWord(word);
    }
  }

  // Adds blanks that end the text, where they still fit.
  void addTrailingBlanks(std::string_view blanks) {
    if (lineColumns_ + static_cast<int>(blanks.size()) <= limit_)
      append(blanks, static_cast<int>(blanks.size()));
  }

  std::vector<TerminalLine> finish() {
    breakLine();
    return std::move(lines_);
  }

 private:
  void addLongWord(std::string_view word) {
    while (!word.empty()) {
      const Character character = firstCharacter(word);
      if (lineColumns_ + character.columns > limit_) breakLine();
      append(character.bytes, character.columns);
      word.remove_prefix(character.bytes.size());
    }
  }

  void append(std::string_view text, int columns) {
    line_ += text;
    lineColumns_ += columns;
  }

  void breakLine() {
    lines_.push_back({std::move(line_), lineColumns_});
    line_.clear();
    lineColumns_ = 0;
  }

  const int limit_;
  std::vector<TerminalLine> lines_;
  std::string line_;
  int lineColumns_ = 0;
};

}  // namespace

int terminalColumns(std::string_view text) {
  int columns = 0;
  while (!text.empty()) {
    const Character character = firstCharacter(text);
    columns += character.columns;
    text.remove_prefix(character.bytes.size());
  }
  return columns;
}

std::vector<TerminalLine> wrapToColumns(std::string_view text, int columns) {
  assert(columns >= kWidestUnit);
  if (const int whole = terminalColumns(text); whole <= columns)
    return {{std::string(text), whole}};
  LineBreaker breaker(columns);
  while (!text.empty()) {
    const std::size_t wordStart = std::min(text.find_first_not_of(' '), text.size());
    const std::string_view blanks = text.substr(0, wordStart);
    text.remove_prefix(wordStart);
    if (text.empty()) {
      breaker.addTrailingBlanks(blanks);
      break;
    }
    const std::size_t wordEnd = std::min(text.find(' '), text.size());
    breaker.addWord(blanks, text.substr(0, wordEnd));
    text.remove_prefix(wordEnd);
  }
  return breaker.finish();
}

TerminalLine cutToColumns(std::string_view text, int columns) {
  std::size_t length = 0;
  int used = 0;
  while (length < text.size()) {
    const Character character = firstCharacter(text.substr(length));
    if (used + character.columns > columns) break;
    used += character.columns;
    length += character.bytes.size();
  }
  return {std::string(text.substr(0, length)), used};
}
