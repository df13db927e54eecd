#pragma once
// The movie converter on the console: the dialog's job for each input in
// turn, with a progress line and a closing list of what failed.

#include <string>
#include <vector>

namespace clipmux {

inline constexpr int kExitDone = 0;
inline constexpr int kExitInputFailed = 1;  // at least one input was not converted
inline constexpr int kExitUsage = 2;

extern const char kConsoleUsage[];

// args are the program's arguments without its name.
int RunConsole(const std::vector<std::string>& args);

}  // namespace clipmux
