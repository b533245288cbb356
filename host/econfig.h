// The host's configuration store: integer values under slash-separated keys, kept in a text
// file of KEY=INTEGER lines ('#' starts a comment) that is replaced atomically on every change.
// A line the store cannot read is ignored, never fatal.
#pragma once

#include <filesystem>
#include <map>
#include <string>

class eConfig {
 public:
  // The store of this process.
  static eConfig* instance();

  // Reads `key` into `value`: 0 when present; -1 when absent, and `value` stays as it was.
  int getKey(const char* key, int& value) const;
  // Stores `value` under `key` and writes the file: 0 when written, -1 when the key cannot be
  // stored (empty, or holding '=', '#' or a line break) or the file cannot be replaced; in
  // the latter case the value is still kept for this process. Before open() the store lives
  // in memory only: setKey keeps the value, writes nothing and returns 0.
  int setKey(const char* key, const int& value);

  // Binds the store to `file` and reads it, replacing what the store held; a missing or
  // unreadable file is an empty store. Nothing is written until the next setKey.
  void open(std::filesystem::path file);
  const std::filesystem::path& file() const { return file_; }

 private:
  int write() const;

  std::filesystem::path file_;
  std::map<std::string, int, std::less<>> values_;
};
