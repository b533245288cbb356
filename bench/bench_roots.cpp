#include "bench/bench_roots.h"

#include <time.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "fixtures/receiver_builder.h"

namespace bench {
namespace {

// Raised whenever what a root holds changes, so that cached roots of the old kind are rebuilt.
constexpr std::string_view kRootFormat = "quillon-bench root 2";
constexpr std::string_view kStampName = ".bench-root";

// A broadcast as the recorder saw it: the title as spelt in the file name, and the title and
// short texts as broadcast, in table 00 without a selector: an umlaut is the diaeresis mark
// 0xC8 before its vowel, and 0xFB is "ß".
struct Programme {
  std::string_view channel;
  std::string_view fileTitle;
  std::string_view title;
  std::array<std::string_view, 3> shortTexts;
  int minutes;
};

constexpr Programme kProgrammes[] = {
    {"Das Erste",
     "Tagesschau",
     "Tagesschau",
     {"Nachrichten", "Tagesschau vor 20 Jahren", "Mit Wetter"},
     15},
    {"Das Erste", "Tatort", "Tatort", {"Der Fluch des Geldes", "Schattenkinder", "Das Nest"}, 90},
    {"Das Erste",
     "Sportschau",
     "Sportschau",
     {"Fussball-Bundesliga", "Die Spiele des Tages", "Bundesliga am Sonntag"},
     60},
    {"Das Erste",
     "Wer weiss denn sowas",
     "Wer wei\xFB denn sowas?",
     {"Wissensquiz mit Kai Pflaume", "Das Wissensquiz", "Prominente raten mit"},
     50},
    {"Das Erste",
     "Lindenstrasse",
     "Lindenstra\xFB"
     "e",
     {"Abschied", "Neue Nachbarn", "Die letzte Folge"},
     30},
    {"ZDF",
     "heute journal",
     "heute journal",
     {"Nachrichten und Hintergr\xC8"
      "unde",
      "mit Wetter", "Das Nachrichtenmagazin"},
     30},
    {"ZDF",
     "Terra X",
     "Terra X",
     {"Die Geschichte der Menschheit", "Faszination Erde", "Eine Reise durch die Zeit"},
     45},
    {"ZDF",
     "Der Bergdoktor",
     "Der Bergdoktor",
     {"Zwischen den Welten",
      "Auf dem Pr\xC8"
      "u"
      "fstand",
      "Familienbande"},
     90},
    {"ZDF",
     "SOKO Leipzig",
     "SOKO Leipzig",
     {"Der Tote im See", "Falsches Spiel", "Tod eines Nachbarn"},
     45},
    {"ZDF",
     "Markus Lanz",
     "Markus Lanz",
     {"Gespr\xC8"
      "ach mit G\xC8"
      "asten",
      "Talkshow", "Zu Gast im Studio"},
     75},
    {"3sat",
     "Kulturzeit",
     "Kulturzeit",
     {"Das Kulturmagazin", "Kunst, Musik und Literatur", "Aus Wien"},
     40},
    {"3sat",
     "Planet Erde",
     "Planet Erde",
     {"Berge", "Tiefsee",
      "W\xC8"
      "usten"},
     50},
    {"arte",
     "Arte Journal",
     "ARTE Journal",
     {"Nachrichten", "Europa heute", "Das Abendjournal"},
     20},
    {"arte", "Stadt Land Kunst", "Stadt Land Kunst", {"Marseille", "Die Normandie", "Kreta"}, 45},
    {"KiKA",
     "Die Sendung mit der Maus",
     "Die Sendung mit der Maus",
     {"Lach- und Sachgeschichten f\xC8"
      "ur Kinder",
      "Wie kommt die Zahnpasta in die Tube?", "Die Maus im All"},
     30},
    {"BR Fernsehen",
     "Dahoam is Dahoam",
     "Dahoam is Dahoam",
     {"Neue Wege", "Der Wirt und die Wahl", "Heimkehr"},
     30},
    {"WDR",
     "Quarks",
     "Quarks",
     {"Wie gesund ist Kaffee?", "Das Geheimnis des Schlafs", "Energie der Zukunft"},
     45},
    {"NDR",
     "Die Nordreportage",
     "Die Nordreportage",
     {"Hafen, Hering, Hochbetrieb", "Ein Sommer auf Sylt",
      "Die Fischer von B\xC8"
      "usum"},
     30},
    {"SWR",
     "Expedition in die Heimat",
     "Expedition in die Heimat",
     {"Unterwegs im Schwarzwald", "Am Bodensee", "Die Pfalz"},
     45},
    {"phoenix",
     "phoenix runde",
     "phoenix runde",
     {"Die Diskussion", "Streit um die Rente",
      "Europa w\xC8"
      "ahlt"},
     45},
    {"RTL", "RTL Aktuell", "RTL Aktuell", {"Die Nachrichten", "Das Wetter", "Sport"}, 20},
    {"VOX",
     "Die Hoehle der Loewen",
     "Die H\xC8"
     "ohle der L\xC8"
     "owen",
     {"Gr\xC8"
      "under pr\xC8"
      "asentieren ihre Ideen",
      "Neue Deals", "Das Finale"},
     120},
    {"ProSieben",
     "Galileo",
     "Galileo",
     {"Das Wissensmagazin", "Spezial",
      "Die gr\xC8"
      "o\xFBten Irrt\xC8"
      "umer"},
     60},
    {"kabel eins",
     "Mein Lokal, Dein Lokal",
     "Mein Lokal, Dein Lokal",
     {"Der Profi kommt", "Tag 1", "Das Finale der Woche"},
     60},
};

// A page of a programme guide's long description, cut to the lengths the recorder stores.
constexpr std::string_view kLongText =
    "Eine neue Folge der beliebten Reihe: Die Redaktion begleitet Menschen in ihrem Alltag, "
    "zeigt, wie sie arbeiten und leben, und fragt nach dem, was sie antreibt. Dazu Berichte aus "
    "der Region, Gespr\xC8"
    "ache mit Fachleuten und G\xC8"
    "asten im Studio, und am Ende die Frage, "
    "was von alldem bleibt. Moderation: Anna Berger. Eine Produktion des Senders, erstmals "
    "ausgestrahlt im Herbst. Mit Untertiteln f\xC8"
    "ur H\xC8"
    "orgesch\xC8"
    "adigte und in HD. ";

constexpr std::int64_t kFirstStart = 1546300800;  // 2019-01-01 00:00 UTC
constexpr std::int64_t kStartStep = 37 * 60;      // recordings start 37 minutes apart

// A fixed pseudo-random number for recording `index` (splitmix64).
std::uint64_t mix(std::uint64_t index) {
  std::uint64_t z = index + 0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

std::string_view shortTextOf(const Programme& programme, std::uint64_t random) {
  switch (random % 8) {
    case 0:
      return "";
    case 1:
      return programme.title;
    default:
      return programme.shortTexts[random / 8 % programme.shortTexts.size()];
  }
}

fixtures::Bytes eventOf(const Programme& programme, std::int64_t start, std::uint64_t random) {
  fixtures::EventBuilder event;
  event.eventId(static_cast<int>(random & 0xFFFF))
      .start(start)
      .duration(programme.minutes * 60)
      .shortEvent("deu", fixtures::dvbText(programme.title),
                  fixtures::dvbText(shortTextOf(programme, random)));
  const int pages = static_cast<int>(random >> 16 & 3) + 1;
  for (int page = 0; page < pages; ++page) {
    const std::size_t length = 120 + (random >> (20 + 4 * page) & 0x7F);
    event.extendedEvent("deu", fixtures::dvbText(kLongText.substr(page * 7, length)), page,
                        pages - 1);
  }
  return event.bytes();
}

// "YYYYMMDD HHMM - Channel - Title.ts", as the recorder names a recording.
std::string recordingName(const Programme& programme, std::int64_t start) {
  const time_t seconds = static_cast<time_t>(start);
  tm utc{};
  gmtime_r(&seconds, &utc);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d %02d%02d", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min);
  return std::string(stamp) + " - " + std::string(programme.channel) + " - " +
         std::string(programme.fileTitle) + ".ts";
}

bool hasStamp(const std::filesystem::path& root, std::size_t recordings) {
  std::ifstream in(root / kStampName);
  std::string line;
  std::getline(in, line);
  return line == std::string(kRootFormat) + " " + std::to_string(recordings);
}

}  // namespace

void buildBenchRoot(const std::filesystem::path& root, std::size_t recordings) {
  fixtures::ReceiverRoot receiver(root);
  std::string lastName;
  for (std::size_t index = 0; index < recordings; ++index) {
    const std::uint64_t random = mix(index);
    const Programme& programme = kProgrammes[random % std::size(kProgrammes)];
    const std::int64_t start = kFirstStart + static_cast<std::int64_t>(index) * kStartStep;
    const std::int64_t end = start + programme.minutes * 60;
    if (index % 50 == 49) {
      receiver.symlink("Favorit " + std::to_string(index) + ".ts", lastName, end);
      continue;
    }
    lastName = recordingName(programme, start);
    if (index % 10 == 9) {
      receiver.recording(lastName, end);
    } else {
      receiver.recording(lastName, end, eventOf(programme, start, random));
    }
  }
  receiver.directory("Archiv");
  receiver.directory("Serien.ts");
}

std::filesystem::path cachedBenchRoot(const std::filesystem::path& cacheDirectory,
                                      std::size_t recordings) {
  const std::filesystem::path root = cacheDirectory / std::to_string(recordings);
  if (hasStamp(root, recordings)) return root;
  std::filesystem::remove_all(root);
  buildBenchRoot(root, recordings);
  std::ofstream(root / kStampName) << kRootFormat << " " << recordings << "\n";
  return root;
}

}  // namespace bench
