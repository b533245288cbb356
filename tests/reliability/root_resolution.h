// A receiver disk filled by whoever had it last: links on it and where they must lead. Every
// path resolves inside the receiver's root, an absolute link means the same path under the root
// and ".." stops at the root. The same table is checked with /proc and without it.
#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "disk/receiver_fs.h"
#include "tests/reliability/special_files.h"
#include "tests/support/receiver_fixture.h"

namespace reliability {

// Enough ".." to climb from the movie directory past any temporary directory to "/".
inline const std::string kClimb = "../../../../../../../../../../../..";

// The receiver's root with a file inside (etc/inside.txt), a FIFO and a socket (in hdd), a zero
// device where the test may make one (`noDevices` says why not), links of every kind in the
// movie directory, and a file outside that the test owns.
class DiskWithLinks : public ReceiverTest {
 protected:
  DiskWithLinks() {
    std::filesystem::create_directories(root.root() / "etc");
    std::ofstream(root.root() / "etc" / "inside.txt") << "inside";
    std::ofstream(outsideFile) << "outside";
    makeFifo(root.root() / "hdd" / "fifo");
    makeFifo(root.root() / "hdd" / "socket", S_IFSOCK);
    for (const Link& link : links()) root.symlink(link.name, link.target, 100);
  }

  // Each path whose outcome differs from the table, one line each; empty when all hold.
  std::vector<std::string> failures() const {
    std::vector<std::pair<std::string, int>> reads{
        {"/hdd/movie/directory-link/inside.txt", 0},
        {"/hdd/movie/directory-link/../etc/inside.txt", 0},
        {"../../etc/inside.txt", 0},
        {"/hdd/fifo", EINVAL}};
    for (const Link& link : links()) reads.emplace_back("/hdd/movie/" + link.name, link.error);
    std::vector<std::string> failed;
    for (const auto& [path, error] : reads) {
      std::string read;
      errno = 0;
      if (!disk::readRegularFile(disk::receiverRoot(), path, 16,
                                 [&read](std::string_view piece) { read.append(piece); }))
        read = std::strerror(errno);
      if (read != (error == 0 ? "inside" : std::strerror(error)))
        failed.push_back(path + ": " + read);
    }
    return failed;
  }

  fixtures::ReceiverRoot outside = fixtures::ReceiverRoot::temporary();
  const std::filesystem::path outsideFile = outside.root() / "outside.txt";
  const std::string noDevices = makeZeroDevice(root.root() / "zero");

 private:
  struct Link {
    std::string name, target;
    int error;  // reading through the link fails with it; 0: it reads the file inside
  };
  std::vector<Link> links() const {
    return {{"absolute", "/etc/inside.txt", 0},
            {"relative", "../../etc/inside.txt", 0},
            {"climbing", kClimb + "/etc/inside.txt", 0},
            {"winding", "../movie/.././../etc/./inside.txt", 0},
            {"chain", "absolute", 0},
            {"directory-link", "/etc", EISDIR},
            {"out-absolute", outsideFile, ENOENT},
            {"out-climbing", kClimb + outsideFile.string(), ENOENT},
            {"loop-a", "loop-b", ELOOP},
            {"loop-b", "loop-a", ELOOP},
            {"self", "self", ELOOP},
            {"to-fifo", "/hdd/fifo", EINVAL},
            {"to-socket", "../socket", EINVAL},
            {"to-directory", "/hdd", EISDIR},
            {"dangling", "/nothing", ENOENT}};
  }
};

}  // namespace reliability
