// What a directory named as the receiver's disk is, and where its settings are kept. People
// mount a receiver's disk in two shapes: its whole root (an export of the receiver's "/"), or
// its hard disk alone (taken out and plugged in, or a share of the receiver's /hdd), which the
// receiver itself mounts at /hdd.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

enum class DiskShape { wholeRoot, hardDisk };

// The receiver's mount point of a hard disk, below "/".
inline constexpr const char* kHardDiskMountPoint = "hdd";

// The shape of `directory`: a whole root when it holds hdd/ or etc/enigma/ (links followed
// inside it), otherwise a hard disk when it holds movie/; nullopt when it is neither, or cannot
// be opened.
std::optional<DiskShape> diskShape(const std::filesystem::path& directory);

// What a run says on standard error about `directory` of `shape`, or about one of neither
// shape (the paths it looked for); without "quillon-host: " and the line's end.
std::string shapeTaken(const std::filesystem::path& directory, DiskShape shape);
std::string noShape(const std::filesystem::path& directory);

// The settings file of a hard disk, which has no receiver settings: quillon/config in the
// user's configuration directory. That is `configHome` when it is an absolute path, else
// .config in `home`, else in `passwordHome` (each when absolute); nullopt when there is none.
std::optional<std::filesystem::path> userConfigFile(const char* configHome, const char* home,
                                                    const char* passwordHome);
// The same from XDG_CONFIG_HOME, HOME and this user's entry in the password database.
std::optional<std::filesystem::path> userConfigFile();
