#include "kitshift/folder_checks.h"

#include <system_error>

#include "kitshift/title_checks.h"
#include "platform/host_files.h"

namespace kitshift {

namespace fs = std::filesystem;

namespace {

std::string ExecutableList() {
    std::string list;
    for (int i = 0; i < kTitleExecutableCount; ++i) {
        list += i == 0 ? "" : i + 1 == kTitleExecutableCount ? " or " : ", ";
        list += kTitleExecutables[i];
    }
    return list;
}

}  // namespace

SourceFolderState CheckSourceFolder(const fs::path& folder, std::string* why) {
    std::error_code code;
    fs::file_status status = fs::status(folder, code);
    if (status.type() == fs::file_type::not_found) {
        *why = std::make_error_code(std::errc::no_such_file_or_directory).message();
        return SourceFolderState::kMissing;
    }
    if (code) {
        *why = code.message();
        return SourceFolderState::kUnreadable;
    }
    if (!fs::is_directory(status)) {
        *why = "is a file, not a folder; give the title's install folder";
        return SourceFolderState::kNotAFolder;
    }
    fs::directory_iterator first(folder, code);
    if (code) {
        *why = code.message();
        return SourceFolderState::kUnreadable;
    }
    if (first == fs::directory_iterator()) {
        *why =
            "the folder is empty; give the title's install folder, which holds " + ExecutableList();
        return SourceFolderState::kEmpty;
    }
    if (!HasTitleExecutable(folder)) {
        *why = "not a title's install folder: it holds none of " + ExecutableList();
        return SourceFolderState::kNoExecutable;
    }
    return SourceFolderState::kTitle;
}

bool PrepareOutputFolder(const fs::path& folder, std::string* why) {
    std::error_code code;
    fs::file_status status = fs::status(folder, code);
    if (fs::exists(status) && !fs::is_directory(status)) {
        *why = "is a file, not a folder; give a folder for the converted data";
        return false;
    }
    if (!fs::exists(status)) {
        fs::create_directories(folder, code);
        if (code) {
            *why = "cannot create the folder: " + code.message();
            return false;
        }
    }
    return platform::CheckFolderWritable(folder, why);
}

std::string ProgramDataFolderName(int titleIndex) {
    switch (titleIndex) {
        case 0:
            return "1";
        case 1:
        case 2:
            return "2";
        default:
            return {};
    }
}

bool IsProgramDataFolder(const fs::path& folder, int titleIndex) {
    std::string expected = ProgramDataFolderName(titleIndex);
    if (expected.empty()) return true;
    std::error_code code;
    fs::path absolute = fs::weakly_canonical(fs::absolute(folder, code), code);
    if (absolute.filename().empty()) absolute = absolute.parent_path();
    return absolute.filename() == expected;
}

}  // namespace kitshift
