#include "host/gui/eskin.h"

namespace {

eSkin& builtInSkin() {
  static eSkin skin{"listbox.separator"};
  return skin;
}

}  // namespace

eSkin::eSkin(std::initializer_list<const char*> imageNames) {
  for (const char* name : imageNames) images_.emplace(name, std::make_unique<gPixmap>(name));
}

eSkin* eSkin::getActive() {
  return &builtInSkin();
}

gPixmap* eSkin::queryImage(const eString& name) const {
  auto found = images_.find(name);
  return found != images_.end() ? found->second.get() : nullptr;
}
