#pragma once
// Paths inside the system use the handheld's language: '\' separates folders
// and a rooted path starts with '\'. This is the one place where such a path
// becomes a host path: '\' turns into '/', and a component that does not
// exist under its exact name is matched against the folder's entries without
// regard to ASCII letter case (data copied from the handheld often differs
// in case). Host names are UTF-8: components are converted from Shift-JIS on
// the way out, and host paths to Shift-JIS on the way in.

#include <string>
#include <string_view>

namespace platform {

// "/home/u/game/" becomes "\home\u\game\"; a host folder keeps its trailing
// separator so that the usual `folder + name` concatenation works.
std::string HostToDevicePath(std::string_view hostPath);

// The host path for a device path. Components that do not exist are resolved
// case-insensitively where one entry matches; the first unmatched component
// and everything after it are kept as given (so a path to a file that is
// about to be created still maps sensibly). A relative device path maps to a
// relative host path.
std::string DeviceToHostPath(std::string_view devicePath);

// The entry of a host folder that a name means, by the same rule: the exact
// name when it exists, else the one entry equal to it without regard to
// ASCII letter case (the smallest name when several are). False when there
// is none. For the converters, which walk host folders of copied data.
bool FindHostEntryNoCase(const std::string& hostFolder, std::string_view name, std::string* found);

// Case-insensitive equality of two host (UTF-8) file-name components: only
// ASCII letters are folded.
bool ComponentEqualNoCase(std::string_view a, std::string_view b);

}  // namespace platform
