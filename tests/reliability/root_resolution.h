// Links on a receiver disk and where they must lead: every path resolves inside the receiver's
// root, an absolute link means the same path under the root and ".." stops at the root. The
// same table is checked with /proc and without it.
#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "disk/receiver_fs.h"
#include "fixtures/receiver_builder.h"
#include "tests/reliability/special_files.h"
#include "tests/support/receiver_in_use.h"

namespace reliability {

// A receiver root with a file inside, a file outside that the test owns, and links of every
// kind in the movie directory; the root is the receiver's while the object lives.
class DiskWithLinks {
 public:
  DiskWithLinks() {
    std::filesystem::create_directories(root.root() / "etc");
    std::ofstream(root.root() / "etc" / "inside.txt") << "inside";
    std::ofstream(outside.root() / "outside.txt") << "outside";
    makeFifo(root.root() / "hdd" / "fifo");
    makeSocket(root.root() / "hdd" / "socket");
    const std::string climb = "../../../../../../../../../../../..";
    const std::string outsideFile = (outside.root() / "outside.txt").string();
    for (const auto& [name, target] : std::vector<std::pair<std::string, std::string>>{
             {"absolute", "/etc/inside.txt"},
             {"relative", "../../etc/inside.txt"},
             {"climbing", climb + "/etc/inside.txt"},
             {"winding", "../movie/.././../etc/./inside.txt"},
             {"chain", "absolute"},
             {"directory-link", "/etc"},
             {"out-absolute", outsideFile},
             {"out-climbing", climb + outsideFile},
             {"loop-a", "loop-b"},
             {"loop-b", "loop-a"},
             {"self", "self"},
             {"to-fifo", "/hdd/fifo"},
             {"to-socket", "../socket"},
             {"to-directory", "/hdd"},
             {"dangling", "/nothing"}}) {
      root.symlink(name, target, 100);
    }
    inUse.emplace(root.root(), root.root() / "config");
  }

  // Each case whose outcome differs from the table, one line each; empty when all hold.
  static std::vector<std::string> failures() {
    const struct {
      const char* path;
      const char* contents;  // or nullptr when reading fails with `error`
      int error = 0;
    } cases[] = {
        {"/hdd/movie/absolute", "inside"},
        {"/hdd/movie/relative", "inside"},
        {"/hdd/movie/climbing", "inside"},
        {"/hdd/movie/winding", "inside"},
        {"/hdd/movie/chain", "inside"},
        {"/hdd/movie/directory-link/inside.txt", "inside"},
        {"/hdd/movie/directory-link/../etc/inside.txt", "inside"},
        {"../../etc/inside.txt", "inside"},
        {"/hdd/movie/out-absolute", nullptr, ENOENT},
        {"/hdd/movie/out-climbing", nullptr, ENOENT},
        {"/hdd/movie/loop-a", nullptr, ELOOP},
        {"/hdd/movie/self", nullptr, ELOOP},
        {"/hdd/movie/to-fifo", nullptr, EINVAL},
        {"/hdd/fifo", nullptr, EINVAL},
        {"/hdd/movie/to-socket", nullptr, EINVAL},
        {"/hdd/movie/to-directory", nullptr, EISDIR},
        {"/hdd/movie/dangling", nullptr, ENOENT},
    };
    std::vector<std::string> failed;
    for (const auto& each : cases) {
      std::string contents;
      errno = 0;
      const bool readable =
          disk::readRegularFile(disk::receiverRoot(), each.path, 16,
                                [&contents](std::string_view piece) { contents.append(piece); });
      const std::string read = readable ? contents : std::string("(error) ") + std::strerror(errno);
      const std::string expected = each.contents != nullptr
                                       ? each.contents
                                       : std::string("(error) ") + std::strerror(each.error);
      if (read != expected) failed.push_back(std::string(each.path) + ": " + read);
    }
    return failed;
  }

  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  fixtures::ReceiverRoot outside = fixtures::ReceiverRoot::temporary();
  std::optional<testsupport::ReceiverInUse> inUse;
};

}  // namespace reliability
