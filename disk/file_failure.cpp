#include "disk/file_failure.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <utility>

namespace disk {
namespace {

FileFailure& lastFailure() {
  static FileFailure failure;
  return failure;
}

FailureListener& listener() {
  static FailureListener listening;
  return listening;
}

// `path` of `root` as this machine names it: where it leads, links followed in the root; where
// it cannot be resolved, as it reads below the root's directory.
std::string machinePath(const FileRoot& root, std::string_view path) {
  if (std::filesystem::path resolved = pathOnMachine(root, path); !resolved.empty())
    return resolved.string();
  while (path.starts_with('/')) path.remove_prefix(1);
  const std::string& mountPoint = root.mountPoint();
  if (!mountPoint.empty() && path.starts_with(mountPoint) &&
      (path.size() == mountPoint.size() || path[mountPoint.size()] == '/')) {
    path.remove_prefix(std::min(path.size(), mountPoint.size() + 1));
  }
  return path.empty() ? root.directory().string() : (root.directory() / path).string();
}

}  // namespace

std::string FileFailure::reason() const {
  if (error == 0) return operation;
  return operation + ": " + std::strerror(error);
}

const FileFailure& lastFileFailure() {
  return lastFailure();
}

void clearFileFailure() {
  lastFailure() = FileFailure();
}

void recordFileFailure(const FileRoot& root, std::string_view path, std::string_view operation,
                       int error) {
  const ErrnoGuard keep;
  lastFailure() = FileFailure{machinePath(root, path), std::string(operation), error};
}

void setFailureListener(FailureListener listening) {
  listener() = std::move(listening);
}

void reportFailure(std::string_view task) {
  const ErrnoGuard keep;
  if (listener()) listener()(task, lastFailure());
}

}  // namespace disk
