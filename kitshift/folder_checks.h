#pragma once
// The folders a conversion reads and writes, checked before the job starts,
// so that a mistyped path or a folder that cannot be written is reported at
// once, with the reason, instead of after every file has been converted.

#include <filesystem>
#include <string>

namespace kitshift {

// Why a source folder cannot be converted, or kTitle when it can.
enum class SourceFolderState {
    kTitle,         // holds one of the titles' executables
    kMissing,       // no such path
    kNotAFolder,    // a file, or something else
    kUnreadable,    // cannot be listed
    kEmpty,         // a folder with nothing in it
    kNoExecutable,  // a folder without any of the titles' executables
};

// `why` receives the English reason for every state but kTitle.
SourceFolderState CheckSourceFolder(const std::filesystem::path& folder, std::string* why);

// Creates the output folder (and those above it) when missing and checks
// that files can be created in it. On failure `why` says why, in the
// system's words where it has them.
bool PrepareOutputFolder(const std::filesystem::path& folder, std::string* why);

// The engine looks for a title's data in its program folder: the folder "1"
// for title 0, "2" for titles 1 and 2. The data folder a title belongs in,
// or empty for a title the engine does not play.
std::string ProgramDataFolderName(int titleIndex);

// True when the output folder is where the engine would look for the title:
// named ProgramDataFolderName(titleIndex), or the title is one the engine
// does not play.
bool IsProgramDataFolder(const std::filesystem::path& folder, int titleIndex);

}  // namespace kitshift
