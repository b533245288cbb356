// Lays out the fuzz targets' seed corpus from the shared builders: event files in every
// character table and with every kind of damage, configuration files and recordings lists.
//   make-fuzz-corpus DIR   writes DIR/event_file, DIR/config_store and DIR/recordings_list
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fixtures/event_builder.h"
#include "movielist/list_writer.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Bytes;
using fixtures::dvbText;
using fixtures::EventBuilder;

void write(const fs::path& path, std::string_view contents) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(contents.data(), std::streamsize(contents.size()));
}

void write(const fs::path& path, const Bytes& contents) {
  write(path, std::string_view(reinterpret_cast<const char*>(contents.data()), contents.size()));
}

Bytes named(std::string_view name, std::string_view text) {
  return EventBuilder().shortEvent("deu", dvbText(name), dvbText(text)).bytes();
}

void eventFiles(const fs::path& directory) {
  write(directory / "plain", named("Tatort", "Borowski"));
  write(directory / "name-only", named("Tagesschau", ""));
  // Table 00: marks on a letter, on one without a composed form, before a blank, before a line
  // break and at the end; the euro sign.
  write(directory / "table00-marks", named("M\xC8"
                                           "uller \xCFq \xC2 \xA4",
                                           "Teil\xC8\x8A"
                                           "2\xC2"));
  write(directory / "latin9",
        EventBuilder().shortEvent("deu", dvbText({0x0B}, "\xA4 Preis"), {}).bytes());
  write(directory / "cyrillic-full-selector",
        EventBuilder().shortEvent("rus", dvbText({0x10, 0x00, 0x05}, "\xBD\xDE\xD2"), {}).bytes());
  write(directory / "ucs2",
        EventBuilder()
            .shortEvent("jpn", dvbText({0x11}, std::string_view("\x67\x71", 2)),
                        dvbText({0x11}, std::string_view("\x00\x41\xE0\x8A", 4)))
            .bytes());
  write(directory / "utf8-control-codes", EventBuilder()
                                              .shortEvent("deu",
                                                          dvbText({0x15},
                                                                  "A\xC2\x8A"
                                                                  "B\xC3\xA4"),
                                                          {})
                                              .bytes());
  write(directory / "utf8-beyond-unicode", EventBuilder()
                                               .shortEvent("deu",
                                                           dvbText({0x15},
                                                                   "a\xF4\x90\x80\x80"
                                                                   "b\xF9\xAA\xAA\xAA\xAA"),
                                                           {})
                                               .bytes());
  write(directory / "east-asian",
        EventBuilder()
            .shortEvent("kor", dvbText({0x12}, "\xB0\xA1"), dvbText({0x13}, "\xD6\xD0"))
            .shortEvent("chi", dvbText({0x14}, "\xA4\xA4"), {})
            .bytes());
  write(directory / "several-descriptors", EventBuilder()
                                               .descriptor(0x50, {1, 2, 3})
                                               .extendedEvent("deu", dvbText("long text"))
                                               .shortEvent("eng", dvbText("News"), {})
                                               .bytes());
  write(directory / "control-bytes", named("Line\nBreak\x7F", "#SERVICE: 1:0:1:0:0:0:0:0:0:0:/x"));
  write(directory / "loop-past-the-end",
        EventBuilder().shortEvent("deu", dvbText("cut"), {}).declaredLoopLength(4000).bytes());
  write(directory / "descriptor-past-the-end",
        EventBuilder().descriptor(0x4D, 200, {'d', 'e', 'u', 1, 'a', 0}).bytes());
  write(directory / "name-past-its-descriptor",
        EventBuilder().descriptor(0x4D, {'d', 'e', 'u', 10, 'a', 'b', 'c'}).bytes());
  write(directory / "fixed-part-only", Bytes(EventBuilder().bytes()));
  Bytes thirteen = EventBuilder().bytes();
  thirteen.push_back(0x4D);
  write(directory / "thirteen-bytes", thirteen);
  write(directory / "name-at-4096",
        EventBuilder().padTo(4096 - 8).shortEvent("deu", dvbText("X"), {}).bytes());
}

void configurationFiles(const fs::path& directory) {
  write(directory / "settings",
        "/enigma/plugins/quillon/eitinfo=1\n/enigma/plugins/quillon/filesort=4\n");
  write(directory / "comments-and-blanks", "# settings\n\n/a=-2147483648\n/b=2147483647\n");
  write(directory / "damaged",
        "=5\n/big=2147483648\n/x=5x\n/y= 5\n/z=+5\n/twice=1=2\n\x01\xFF garbage\n/last=9");
  write(directory / "carriage-returns", "/a=1\r\n/b=2\r\n");
  write(directory / "long-key", "/" + std::string(300, 'k') + "=3\n");
}

std::string printed(const std::vector<DIRFILES>& movies) {
  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* stream = open_memstream(&text, &length);
  printRecordingsList(stream, movies);
  std::fclose(stream);
  std::string result(text, length);
  std::free(text);
  return result;
}

void recordingsLists(const fs::path& directory) {
  const std::vector<DIRFILES> movies{{"/hdd/movie/a.ts", "a.ts", "Tatort - Borowski", 100},
                                     {"/hdd/movie/b.tsb.ts", "b.tsb.ts", "b.tsb", 200},
                                     {"/hdd/movie/.ts", ".ts", "", 300}};
  write(directory / "written", printed(movies));
  write(directory / "one-movie", printed({movies[0]}));
  write(directory / "no-movies", printed({}));
  write(directory / "carriage-returns",
        "#NAME n\r\n#SERVICE: s\r\n#DESCRIPTION: d\r\n#TYPE 1\r\n/p\r\n");
  write(directory / "lines-missing-and-out-of-place",
        "#SERVICE: s1\n/p1\n#SERVICE: s2\n#TYPE 1\n/p2\n#SERVICE: s3\n#DESCRIPTION: d\n"
        "#UNKNOWN\n/p3\n/stray\n#DESCRIPTION:\n#TYPE\n#SERVICE: cut");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-fuzz-corpus DIR\n");
    return 2;
  }
  const fs::path directory = argv[1];
  eventFiles(directory / "event_file");
  configurationFiles(directory / "config_store");
  recordingsLists(directory / "recordings_list");
  return 0;
}
