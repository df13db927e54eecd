#pragma once
// How mirtool writes what it makes: the bytes go to a staging name beside the
// target and take the target's name only once all of them are on the disk,
// so a failure (a full disk, a killed process) never leaves a partial file
// under the final name. The target's folder must exist: a mistyped path is an
// error, not a new tree of folders.

#include <filesystem>
#include <string>

#include "formats/byte_io.h"

namespace mirtool {

// Writes the whole file; on failure *why holds the reason in the system's
// words (or "is a folder" when the target is one) and nothing is left behind.
bool WriteOutputFile(const std::filesystem::path& path, formats::ByteSpan bytes, std::string* why);

// Makes an output folder and the folders above it that are missing; on
// failure *failed is the folder that could not be made and *why the reason.
bool MakeOutputFolder(const std::filesystem::path& folder, std::filesystem::path* failed,
                      std::string* why);

}  // namespace mirtool
