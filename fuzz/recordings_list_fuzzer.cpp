// The host's reader of the recordings list, given any text in two pieces cut in its middle,
// as the file is read: every entry it yields has fields of one line, and the entries
// it yields, written again by the plug-in's list writer, read back as the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "disk/line_reader.h"
#include "fuzz/fuzz_support.h"
#include "host/recordings_list.h"
#include "movielist/list_writer.h"

namespace {

constexpr std::string_view kServicePrefix = "1:0:1:0:0:0:000000:0:0:0:";

bool holdsLineBreak(std::string_view text) {
  return text.find_first_of("\n") != std::string_view::npos;
}

bool holdsControlByte(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// An entry the plug-in could have written: a receiver path of one line, a description
// without control bytes.
bool writable(const eZapMain::Recording& recording) {
  return recording.path.starts_with("/") && !holdsControlByte(recording.path) &&
         !holdsControlByte(recording.description);
}

// The entries of the list `text`, read by the host's own reader, handed over in two pieces.
std::vector<eZapMain::Recording> readList(std::string_view text, std::size_t cut,
                                          eString& listName) {
  RecordingsListParser list;
  disk::LineReader lines([&list](std::string_view line) { list.take(line); });
  lines.take(text.substr(0, cut));
  lines.take(text.substr(cut));
  lines.finishFile();
  listName = list.listName();
  return std::move(list).recordings();
}

std::string printed(const std::vector<DIRFILES>& movies) {
  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* stream = open_memstream(&text, &length);
  fuzz::require(stream != nullptr, "a memory stream opens");
  printRecordingsList(stream, movies);
  std::fclose(stream);
  std::string result(text, length);
  std::free(text);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  eString listName;
  const auto recordings = readList(text, text.size() / 2, listName);
  fuzz::require(!holdsLineBreak(listName), "the list name is one line");
  std::vector<DIRFILES> movies;
  for (const auto& recording : recordings) {
    fuzz::require(!recording.path.empty(), "an entry has a path");
    fuzz::require(!holdsLineBreak(recording.service) && !holdsLineBreak(recording.description) &&
                      !holdsLineBreak(recording.path),
                  "every field of an entry is one line");
    if (writable(recording)) movies.push_back({recording.path, {}, recording.description, 0});
  }

  const std::string written = printed(movies);
  const auto reread = readList(written, written.size(), listName);
  fuzz::require(reread.size() == movies.size(), "every written entry reads back");
  for (std::size_t i = 0; i < movies.size(); ++i) {
    fuzz::require(reread[i].path == movies[i].FullPath, "a path reads back the same");
    fuzz::require(reread[i].description == movies[i].Description,
                  "a description reads back the same");
    fuzz::require(reread[i].service == std::string(kServicePrefix) + movies[i].FullPath,
                  "the service names the path");
  }
  fuzz::require(listName == "Aufgenommene Filme", "the written list has its name");
  return 0;
}
