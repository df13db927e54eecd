#pragma once
// The converter on the console: the same job as the dialog, with a progress
// line and a closing summary.

#include <string>
#include <vector>

namespace kitshift {

// Exit codes of the console.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFilesSkipped = 1;  // finished, but some files were not converted
inline constexpr int kExitUsage = 2;
inline constexpr int kExitModuleMissing = 3;
inline constexpr int kExitNotATitleFolder = 4;
inline constexpr int kExitOutputFailed = 5;  // an archive or the output folder could not be written

extern const char kConsoleUsage[];

// args are the program's arguments without its name.
int RunConsole(const std::vector<std::string>& args);

}  // namespace kitshift
