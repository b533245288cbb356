// Watches one file for opens through inotify, as the kernel reports them: a test's proof that
// a file was, or was never, opened.
#pragma once

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>

namespace testsupport {

class OpenWatch {
 public:
  explicit OpenWatch(const std::filesystem::path& file)
      : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
        watching_(fd_ >= 0 && ::inotify_add_watch(fd_, file.c_str(), IN_OPEN) >= 0) {}
  OpenWatch(const OpenWatch&) = delete;
  ~OpenWatch() { ::close(fd_); }

  bool watching() const { return watching_; }

  // The opens since the last call.
  int opens() const {
    alignas(inotify_event) char buffer[4096];
    int count = 0;
    for (ssize_t length; (length = ::read(fd_, buffer, sizeof buffer)) > 0;)
      count += static_cast<int>(length / sizeof(inotify_event));
    return count;
  }

 private:
  int fd_;
  bool watching_;
};

}  // namespace testsupport
