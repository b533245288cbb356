// A fresh receiver root for every test: an empty movie directory, an empty configuration
// store, and the host's reload counter as it stood before the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "fixtures/receiver_builder.h"
#include "host/econfig.h"
#include "host/ezapmain.h"
#include "host/receiver_fs.h"
#include "movielist/dirfiles.h"

class ReceiverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::setReceiverRoot(root.root());
    eConfig::instance()->open(root.root() / "config");
    reloadsBefore = eZapMain::instance()->reloadCount();
  }

  int reloads() const { return eZapMain::instance()->reloadCount() - reloadsBefore; }

  // The file names of DirMovieFile, in its order.
  static std::vector<std::string> listedNames() {
    std::vector<std::string> names;
    for (const DIRFILES& movie : DirMovieFile) names.push_back(movie.FileName);
    return names;
  }

  // The names of the movie directory in the order its listing yields them.
  std::vector<std::string> listingOrder() const {
    std::vector<std::string> names;
    host::Directory("/hdd/movie").forEachEntry([&names](std::string_view name, unsigned char) {
      if (name.ends_with(".ts")) names.emplace_back(name);
    });
    return names;
  }

  fixtures::ReceiverRoot root = fixtures::ReceiverRoot::temporary();
  int reloadsBefore = 0;
};
