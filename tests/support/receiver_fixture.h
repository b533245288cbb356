// A fresh receiver root for every test: an empty movie directory, an empty configuration
// store, and the host's reload counter counted from the test's start. What the test changed in
// the host (its root, its configuration store) is put back when the test ends, so that no test
// leaves the host pointing at a deleted directory for the next one.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "disk/receiver_fs.h"
#include "fixtures/receiver_builder.h"
#include "movielist/dirfiles.h"
#include "tests/support/receiver_in_use.h"

class ReceiverTest : public ::testing::Test {
 protected:
  int reloads() const { return inUse_.reloads(); }

  // The file names of DirMovieFile, in its order.
  static std::vector<std::string> listedNames() {
    std::vector<std::string> names;
    for (const DIRFILES& movie : DirMovieFile) names.push_back(movie.FileName);
    return names;
  }

  // The names of the movie directory in the order its listing yields them.
  std::vector<std::string> listingOrder() const {
    std::vector<std::string> names;
    disk::Directory(disk::receiverRoot(), "/hdd/movie")
        .forEachEntry([&names](std::string_view name, unsigned char) {
          if (name.ends_with(".ts")) names.emplace_back(name);
        });
    return names;
  }

  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();

 private:
  testsupport::ReceiverInUse inUse_{root.root(), root.root() / "config"};
};
