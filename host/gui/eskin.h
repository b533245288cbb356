// The look of the host: the images widgets draw with, found by name. The host's own built-in
// skin is the one in use.
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

  // The image `name`, or null when this skin has none; owned by the skin.
  gPixmap* queryImage(const eString& name) const;

 private:
  std::map<std::string, std::unique_ptr<gPixmap>, std::less<>> images_;
};
