// Text split into lines, the one way the host does it: for the files it reads, whole or piece by
// piece, and for the texts it shows. A line is handed over without its '\n'; a '\r' before it
// stays, for the reader of the line to judge.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "disk/receiver_fs.h"

namespace disk {

using LineVisitor = std::function<void(std::string_view)>;

// Splits text handed over in pieces of any size; a line cut by the end of a piece waits for the
// rest. A line lives only until `take` returns.
class LineReader {
 public:
  explicit LineReader(LineVisitor take) : take_(std::move(take)) {}

  // Hands on every line that `piece` completes.
  void take(std::string_view piece);
  // Hands on the last line when no '\n' ended it: a file's text ends with its last line.
  void finishFile();
  // Hands on the last line even when it is empty: a shown text's '\n' separates lines, so ""
  // is one empty line and "a\n" is "a" and "".
  void finishShown();

 private:
  LineVisitor take_;
  std::string partial_;
};

// The lines of a file's text: "a\nb" and "a\nb\n" both hold "a" and "b"; "" holds none.
void forEachFileLine(std::string_view text, const LineVisitor& take);
// The lines of a text shown on the display, as LineReader::finishShown counts them.
void forEachShownLine(std::string_view text, const LineVisitor& take);

// Reads the regular file `path` in `root` line by line, as readRegularFile reads it: false when
// it cannot be read to its end or is over `limit`. The lines already taken then do not count:
// the caller drops them, so that an unreadable file reads as an empty one.
bool readFileLines(const FileRoot& root, std::string_view path, std::size_t limit,
                   const LineVisitor& take);

}  // namespace disk
