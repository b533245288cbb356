// An image of the skin. The stand-in host draws no bitmaps: a pixmap is known by its name,
// and each screen draws it in its own way.
#pragma once

#include <utility>

#include "host/estring.h"

class gPixmap {
 public:
  explicit gPixmap(eString name) : name_(std::move(name)) {}
  const eString& name() const { return name_; }

 private:
  eString name_;
};
