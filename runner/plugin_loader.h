// Loading the plug-in as the receiver does: the shared object is opened with every symbol
// bound at once, its host symbols resolved from this process, and entered through
// plugin_exec. The plug-in stays loaded as long as the object lives.
#pragma once

#include <filesystem>
#include <string>

#include "host/plugin_entry.h"

class LoadedPlugin {
 public:
  // Loads `path`; check isLoaded(), error() says why not.
  explicit LoadedPlugin(const std::filesystem::path& path);
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;
  ~LoadedPlugin();

  bool isLoaded() const { return entry_ != nullptr; }
  const std::string& error() const { return error_; }
  int exec() const { return entry_(nullptr); }

 private:
  void* handle_ = nullptr;
  PluginExecFunction entry_ = nullptr;
  std::string error_;
};
