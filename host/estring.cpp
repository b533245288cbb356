#include "host/estring.h"

#include <cstdarg>
#include <cstdio>

eString& eString::sprintf(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::va_list second;
  va_copy(second, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  if (length < 0) {
    clear();
  } else {
    resize(static_cast<size_type>(length));
    // The terminating NUL lands on the string's own terminator, which may be written with NUL.
    std::vsnprintf(data(), size() + 1, format, second);
  }
  va_end(second);
  return *this;
}
