// Why the host's last file operation failed, kept so that a task that ends without its result
// (a rebuild that requests no reload, a setting that is not stored) can tell a person why. The
// file layer records each failure as it happens; a task clears the record when it starts and
// reports it when it fails, to whoever listens (quillon-host prints one line).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "disk/receiver_fs.h"

namespace disk {

struct FileFailure {
  std::string path;       // the file or folder, as found on this machine
  std::string operation;  // what went wrong, as a person reads it: "cannot be listed"
  int error = 0;          // the errno that says why; 0 when `operation` says all

  // "cannot be listed: Input/output error", or the operation alone.
  std::string reason() const;
};

// The failure recorded last since clearFileFailure; an empty path when there was none.
const FileFailure& lastFileFailure();
void clearFileFailure();
// Records that `operation` failed on `path` in `root` with `error`. errno is kept.
void recordFileFailure(const FileRoot& root, std::string_view path, std::string_view operation,
                       int error);

// Told of every task that fails: its name ("rebuild", "setting") and the failure recorded last.
using FailureListener = std::function<void(std::string_view task, const FileFailure& failure)>;
// Sets the listener; an empty one tells nobody, as before any is set.
void setFailureListener(FailureListener listener);
// Tells the listener that `task` failed for the reason recorded last. errno is kept.
void reportFailure(std::string_view task);

}  // namespace disk
