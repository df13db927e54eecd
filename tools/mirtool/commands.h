#pragma once
// The command groups of mirtool. Each takes the arguments after its group
// name, prints errors to stderr as "mirtool: FILE: reason" and returns the
// process exit code (0 success, 1 failure, 2 bad usage).

#include <string>
#include <vector>

#include "command_errors.h"
#include "output_file.h"
#include "platform/host_files.h"

namespace mirtool {

using platform::ReadHostFile;

using Args = std::vector<std::string>;

int RunMlzCommand(const Args& args);
int RunRbpCommand(const Args& args);
int RunMovCommand(const Args& args);
int RunCrxCommand(const Args& args);
int RunPcmCommand(const Args& args);
int RunMesCommand(const Args& args);

}  // namespace mirtool
