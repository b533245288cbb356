// The look of the host: the images widgets draw with, found by name. One skin is active at a
// time; the host's own built-in skin until another is made active.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "host/estring.h"
#include "host/gui/gpixmap.h"

class eSkin {
 public:
  // A skin holding an image of each of `imageNames`.
  explicit eSkin(std::initializer_list<const char*> imageNames);

  // The skin widgets draw with now; never null.
  static eSkin* getActive();
  // Makes `skin` active; null brings back the built-in skin. The caller keeps it alive.
  static void setActive(eSkin* skin);

  // The image `name`, or null when this skin has none; owned by the skin.
  gPixmap* queryImage(const eString& name) const;

 private:
  std::map<std::string, std::unique_ptr<gPixmap>, std::less<>> images_;
};
