#pragma once
#include <string>

#include "platform/backend.h"

namespace platform {

// The SDL2 window, display, keys, controller, stylus and clock. error gets
// the reason when the video system cannot start.
Backend CreateSdlBackend(const BackendOptions& options, std::string* error);

}  // namespace platform
