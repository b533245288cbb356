// The host's configuration store: integer values under slash-separated keys, kept in a text
// file of KEY=INTEGER lines ('#' starts a comment) that is replaced atomically on every change.
// A line the store cannot read is ignored, never fatal. A file the store cannot read at all is
// never replaced: its settings may be more than the store would write back.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

class eConfig {
 public:
  // Far above any real store, which holds a few hundred lines.
  static constexpr std::size_t kFileLimit = std::size_t{1} << 20;

  // The store of this process.
  static eConfig* instance();

  // Reads `key` into `value`: 0 when present; -1 when absent, and `value` stays as it was.
  int getKey(const char* key, int& value) const;
  // Stores `value` under `key` and writes the file: 0 when written, -1 when the key cannot be
  // stored (empty, or holding '=', '#' or a line break), or the file cannot be replaced, or
  // must not be (unreadable()); in the latter cases the value is still kept for this process.
  // Before open() the store lives in memory only: setKey keeps the value, writes nothing and
  // returns 0.
  int setKey(const char* key, const int& value);

  // Binds the store to `file`, a path on this machine, and reads it, replacing what the store
  // held; a missing file is an empty store. Nothing is written until the next setKey.
  void open(std::filesystem::path file);
  // The same for a file of the receiver, `receiverPath` resolved under the receiver's root.
  void openOnReceiver(std::string receiverPath);
  // The file as bound: a path on this machine, or on the receiver.
  const std::string& file() const { return file_; }
  // Makes the missing directories of the file, with `mode`, when a setting is first written
  // (none before: a run that changes nothing creates nothing). Until the next open().
  void createDirectoriesOnWrite(mode_t mode) { directoryMode_ = mode; }

  // Whether the file exists but could not be read: it is not a regular file, is over
  // kFileLimit, or a read failed. The store then lives in memory for this run, and
  // readError() is the errno that says why.
  bool unreadable() const { return readError_ != 0; }
  int readError() const { return readError_; }

 private:
  void read();
  int write() const;

  std::string file_;
  bool onReceiver_ = false;
  std::optional<mode_t> directoryMode_;
  int readError_ = 0;
  std::map<std::string, int, std::less<>> values_;
};
