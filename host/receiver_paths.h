// The receiver's fixed places and the configuration keys, as every layer names them: the
// plug-in, the host and quillon-host. Receiver paths are absolute on the receiver; the host maps
// them under its root (disk/receiver_fs.h).
#pragma once

// Where the recorder keeps its recordings, and the list of them that the main window reloads.
inline constexpr const char* kMovieDirectory = "/hdd/movie";
inline constexpr const char* kRecordingsList = "/hdd/movie/recordings.epl";
// The configuration store of a receiver's whole root.
inline constexpr const char* kReceiverConfig = "/etc/enigma/config";

// The plug-in's settings: the sort order, a SortType of 1 to 6, 1 when absent; and whether
// names come from event files, non-zero (the default) when they do.
inline constexpr const char* kFileSortKey = "/enigma/plugins/quillon/filesort";
inline constexpr const char* kEitInfoKey = "/enigma/plugins/quillon/eitinfo";

// The host's own key for DVB text without a selector: absent or 0, table 00 as the standard
// says; 1 to 15, ISO/IEC 8859-1 to 8859-15, for broadcasters that send one of those unmarked.
// Any other value means table 00.
inline constexpr const char* kDefaultTableKey = "/host/dvb/default_table";
