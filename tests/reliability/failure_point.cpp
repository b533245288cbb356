#include "tests/reliability/failure_point.h"

#include <fiu-control.h>
#include <fiu.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace reliability {
namespace {

// Calls still to let through before the point fails. One point is enabled at a time.
int callsToLetThrough = 0;

int failAfterTheFirstCalls(const char*, int*, void**, unsigned*) {
  if (callsToLetThrough == 0) return 1;
  --callsToLetThrough;
  return 0;
}

void* asFailInfo(int error) {
  return reinterpret_cast<void*>(static_cast<std::intptr_t>(error));
}

}  // namespace

bool failurePointsAvailable() {
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr &&
         std::string_view(preload).find("fiu_posix_preload") != std::string_view::npos;
}

FailurePoint::FailurePoint(const char* name, int error, int callsFirst) : name_(name) {
  fiu_init(0);
  callsToLetThrough = callsFirst;
  fiu_enable_external(name, 1, asFailInfo(error), 0, failAfterTheFirstCalls);
}

FailurePoint::~FailurePoint() {
  fiu_disable(name_);
}

}  // namespace reliability
