// Where the host's widgets get their keys from: the remote control's six keys, delivered one
// at a time to the widget whose modal loop is running. The terminal and a key script are two
// sources; exactly one is active.
#pragma once

#include <optional>
#include <stdexcept>
#include <string_view>

#include "host/estring.h"

enum class eRCKey { up, down, left, right, ok, exit };

// "up", "down", "left", "right", "ok", "exit".
const char* keyName(eRCKey key);
std::optional<eRCKey> keyFromName(std::string_view name);

class eKeySource {
 public:
  virtual ~eKeySource() = default;

  // The next key the user pressed, waiting for it if need be; nullopt when no key can come
  // any more (a script has ended, the terminal has gone).
  virtual std::optional<eRCKey> nextKey() = 0;

  // The source modal loops read from; null until one is set. The caller keeps it alive.
  static eKeySource* getActive();
  static void setActive(eKeySource* source);
};

// Thrown out of a modal loop that needs a key when none can come; the widgets on the way out
// are destroyed as usual. `waiting()` names the widget that was waiting.
class eNoMoreKeys : public std::runtime_error {
 public:
  explicit eNoMoreKeys(const eString& waiting);
  const eString& waiting() const { return waiting_; }

 private:
  eString waiting_;
};
