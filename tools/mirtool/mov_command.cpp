#include "commands.h"

namespace mirtool {

int RunMovCommand(const Args&) { return UsageError("mov commands are not built yet"); }

}  // namespace mirtool
