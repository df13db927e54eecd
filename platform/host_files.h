#pragma once
// Whole-file reading and writing on host paths. On failure `why` receives a
// short reason to print after the file's name.

#include <filesystem>
#include <string>

#include "formats/byte_io.h"

namespace platform {

bool ReadHostFile(const std::filesystem::path& path, formats::ByteVector* bytes, std::string* why);

// True when files can be created in the folder, found out by creating (and
// removing) one; otherwise `why` says why in the system's words, or that the
// path is a file.
bool CheckFolderWritable(const std::filesystem::path& folder, std::string* why);

// Creates the parent folders and writes the file.
bool WriteHostFile(const std::filesystem::path& path, formats::ByteSpan bytes, std::string* why);

// Replaces the file so that it is always either the old file or the new one,
// whole, even if the process dies or the power fails half way: the bytes go
// to a temporary name in the same folder, are flushed to the disk, renamed
// over the target, and the folder is flushed. A failed write leaves the old
// file as it was and removes the temporary one.
bool WriteHostFileAtomically(const std::filesystem::path& path, formats::ByteSpan bytes,
                             std::string* why);

}  // namespace platform
