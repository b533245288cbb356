#include "runner/plugin_loader.h"

#include <dlfcn.h>

LoadedPlugin::LoadedPlugin(const std::filesystem::path& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    error_ = "cannot load plug-in '" + path.string() + "': " + (reason ? reason : "unknown");
    return;
  }
  entry_ = reinterpret_cast<PluginExecFunction>(dlsym(handle_, "plugin_exec"));
  if (entry_ == nullptr) error_ = "plug-in '" + path.string() + "' has no plugin_exec";
}

LoadedPlugin::~LoadedPlugin() {
  if (handle_ != nullptr) dlclose(handle_);
}
