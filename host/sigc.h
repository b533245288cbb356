// The host's signal names (namespace SigC) over libsigc++ 3: objects that receive signals
// derive from SigC::Object, so that their slots fall silent when they are destroyed.
#pragma once

#include <sigc++/sigc++.h>

namespace SigC {

class ObjectBase : public sigc::trackable {};
// Copying declared here, so that no class derived from it gets an implicit move assignment
// through the virtual base (which would move the base once per path).
class Object : public virtual ObjectBase {
 public:
  Object() = default;
  Object(const Object&) = default;
  Object& operator=(const Object&) = default;
};

template <class R>
using Signal0 = sigc::signal<R()>;
template <class R, class P1>
using Signal1 = sigc::signal<R(P1)>;

// A slot that calls `method` on `object`; it is disconnected when `object` is destroyed.
template <class T, class R, class... Args>
auto slot(T& object, R (T::*method)(Args...)) {
  return sigc::mem_fun(object, method);
}

template <class T, class R, class... Args>
auto slot(T* object, R (T::*method)(Args...)) {
  return sigc::mem_fun(*object, method);
}

}  // namespace SigC

#define CONNECT(signal, slot) (signal).connect(slot)
