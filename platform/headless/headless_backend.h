#pragma once
#include <string>

#include "platform/backend.h"

namespace platform {

// The deterministic backend for tests and automation: a virtual clock that
// advances only when the engine sleeps, scripted input, screenshots at chosen
// virtual times, a quit message at the end time. A bad input script gives an
// empty Backend and the reason, with its line number, in error.
Backend CreateHeadlessBackend(const BackendOptions& options, std::string* error);

}  // namespace platform
