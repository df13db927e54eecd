#include "commands.h"

namespace mirtool {

int RunRbpCommand(const Args&) { return UsageError("rbp commands are not built yet"); }

}  // namespace mirtool
