#include "disk/line_reader.h"

namespace disk {

void LineReader::take(std::string_view piece) {
  for (std::size_t end; (end = piece.find('\n')) != std::string_view::npos;) {
    if (partial_.empty()) {
      take_(piece.substr(0, end));
    } else {
      take_(partial_.append(piece.substr(0, end)));
      partial_.clear();
    }
    piece.remove_prefix(end + 1);
  }
  partial_.append(piece);
}

void LineReader::finishFile() {
  if (!partial_.empty()) finishShown();
}

void LineReader::finishShown() {
  take_(partial_);
  partial_.clear();
}

void forEachFileLine(std::string_view text, const LineVisitor& take) {
  LineReader lines(take);
  lines.take(text);
  lines.finishFile();
}

void forEachShownLine(std::string_view text, const LineVisitor& take) {
  LineReader lines(take);
  lines.take(text);
  lines.finishShown();
}

bool readFileLines(const FileRoot& root, std::string_view path, std::size_t limit,
                   const LineVisitor& take) {
  LineReader lines(take);
  const bool read =
      readRegularFile(root, path, limit, [&lines](std::string_view piece) { lines.take(piece); });
  if (read) lines.finishFile();
  return read;
}

}  // namespace disk
