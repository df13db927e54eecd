#pragma once
// Whole-file reading and writing on host paths for the tools and converters.
// On failure `why` receives a short reason to print after the file's name.

#include <filesystem>
#include <string>

#include "formats/byte_io.h"

namespace common {

bool ReadHostFile(const std::filesystem::path& path, formats::ByteVector* bytes, std::string* why);

// Creates the parent folders and writes the file.
bool WriteHostFile(const std::filesystem::path& path, formats::ByteSpan bytes, std::string* why);

// Writes beside the target and renames into place, so that a failed run
// never leaves a torn file under the requested name.
bool WriteHostFileAtomically(const std::filesystem::path& path, formats::ByteSpan bytes,
                             std::string* why);

}  // namespace common
