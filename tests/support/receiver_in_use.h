// The host's global state that a test changes (the receiver's root and the configuration
// store's file) set for the test and put back as it was afterwards, and the host's reloads
// counted from the test's start (through the host's reload observer, which the test owns).
#pragma once

#include <filesystem>

#include "disk/receiver_fs.h"
#include "host/econfig.h"
#include "host/ezapmain.h"

namespace testsupport {

// Makes `root` the receiver's, with its configuration store in `config`, while the object
// lives; then the host's root and store are those it had before. Reloads are counted from the
// object's start.
class ReceiverInUse {
 public:
  ReceiverInUse(const std::filesystem::path& root, const std::filesystem::path& config)
      : rootBefore_(disk::receiverRoot().directory()), configBefore_(eConfig::instance()->file()) {
    disk::setReceiverRoot(root);
    eConfig::instance()->open(config);
    eZapMain::instance()->onRecordingsLoaded([this](const eZapMain&) { ++reloads_; });
  }
  ~ReceiverInUse() {
    eZapMain::instance()->onRecordingsLoaded(nullptr);
    eConfig::instance()->open(configBefore_);
    disk::setReceiverRoot(rootBefore_);
  }
  ReceiverInUse(const ReceiverInUse&) = delete;
  ReceiverInUse& operator=(const ReceiverInUse&) = delete;

  // The reloads the host made since the object was made.
  int reloads() const { return reloads_; }

 private:
  std::filesystem::path rootBefore_;
  std::filesystem::path configBefore_;
  int reloads_ = 0;
};

}  // namespace testsupport
