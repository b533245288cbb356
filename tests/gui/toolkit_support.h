// Test support for the widget toolkit: a key source that plays a list of keys, a screen that
// writes what it is told into a transcript, and a fixture that makes both active and gives the
// configuration store a file of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/econfig.h"
#include "host/gui/keysource.h"
#include "host/gui/screen.h"

class ScriptedKeys : public eKeySource {
 public:
  void play(std::vector<eRCKey> keys) {
    keys_ = std::move(keys);
    next_ = 0;
  }
  std::optional<eRCKey> nextKey() override {
    if (next_ == keys_.size()) return std::nullopt;
    return keys_[next_++];
  }

 private:
  std::vector<eRCKey> keys_;
  std::size_t next_ = 0;
};

class RecordingScreen : public eScreen {
 public:
  void shown(const eWidgetView& widget) override {
    events.push_back("shown " + widgetLabel(widget));
  }
  void hidden(const eWidgetView& widget) override {
    events.push_back("hidden " + widgetLabel(widget));
  }
  void refresh(const eScreenFrame& frame) override {
    std::string event = "refresh";
    for (const eWidgetView& widget : frame) event += " " + widgetLabel(widget);
    events.push_back(event);
    lastFrame = frame;
  }

  std::vector<std::string> events;
  eScreenFrame lastFrame;
};

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ =
        std::filesystem::temp_directory_path() /
        ("quillon-gui-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(directory_);
    eConfig::instance()->open(directory_ / "config");
    eKeySource::setActive(&keys);
    eScreen::setActive(&screen);
  }
  void TearDown() override {
    eKeySource::setActive(nullptr);
    eScreen::setActive(nullptr);
    eConfig::instance()->open({});
    std::filesystem::remove_all(directory_);
  }

  const std::filesystem::path& directory() const { return directory_; }

  ScriptedKeys keys;
  RecordingScreen screen;

 private:
  std::filesystem::path directory_;
};
