// The host's configuration store: integer values under slash-separated keys, kept in a text
// file of KEY=INTEGER lines ('#' starts a comment). The file is the user's as much as ours: a
// setting rewrites its own key's line alone, and every other byte stays, comments, other
// programs' keys and lines the store cannot read among them. A file the store cannot read at
// all is never replaced: its settings may be more than the store would write back.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

class eConfig {
 public:
  // Far above any real store, which holds a few hundred lines. The store neither reads a file
  // over it nor writes one.
  static constexpr std::size_t kFileLimit = std::size_t{1} << 20;

  // The store of this process.
  static eConfig* instance();

  // Reads `key` into `value`: 0 when present; -1 when absent, and `value` stays as it was.
  int getKey(const char* key, int& value) const;
  // Stores `value` under `key`: 0 when the file holds it now; -1 when the key cannot be stored
  // (empty, or holding '=', '#' or a line break), or the file cannot be replaced, or must not
  // be (it cannot be read, or would grow over kFileLimit); in the latter cases the value is
  // still kept for this process. The file is read again under the writer's lock (the
  // temporary file of replaced_file.h, by its fixed name; while another writer holds it, this
  // fails) and the key's line is rewritten: the last line whose text before its first '=' is
  // the key (a CR before the line's end aside), keeping its line ending; or, where there is
  // none, KEY=VALUE is added in the file's line ending (CR LF when its last line ends so). A
  // file that holds the value already is not written. The values that the file holds for other
  // keys then replace the store's own: another program may have changed them. Every failure
  // is reported (file_failure.h) as the task "setting". Before open() the store lives in
  // memory only: setKey keeps the value, writes nothing and returns 0.
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

  // Whether the file exists but could not be read when it was last read: it is not a regular
  // file, is over kFileLimit, or a read failed. readError() is the errno that says why.
  bool unreadable() const { return readError_ != 0; }
  int readError() const { return readError_; }

 private:
  void read();
  // The file's whole text, a missing file's empty; false with errno (recorded) when it cannot
  // be read.
  bool readText(std::string& text);
  // Takes the values `text` holds over the store's own, then `value` for `key`; whether `text`
  // holds that value for it already.
  bool takeValues(std::string_view text, std::string_view key, int value);
  int store(std::string_view key, int value);

  std::string file_;
  bool onReceiver_ = false;
  bool located_ = false;  // file_ names a file: an absolute path, or one on the receiver
  std::optional<mode_t> directoryMode_;
  int readError_ = 0;
  std::map<std::string, int, std::less<>> values_;
};
