#include "kitshift/title_checks.h"

#include <cstdio>
#include <system_error>

#include "common/mp3_encoder.h"
#include "formats/sjis.h"
#include "platform/module_loader.h"

namespace kitshift {

bool EncoderModuleAvailable() {
    void* module = platform::LoadModule(common::Mp3Encoder::kModuleName);
    if (module == nullptr) return false;
    platform::FreeModule(module);
    return true;
}

bool HasTitleExecutable(const std::filesystem::path& folder) {
    std::error_code code;
    for (std::filesystem::directory_iterator it(folder, code), end; !code && it != end;
         it.increment(code)) {
        std::error_code statusError;
        if (!it->is_regular_file(statusError)) continue;
        std::string name = it->path().filename().string();
        for (const char* executable : kTitleExecutables) {
            if (formats::SjisEqualNoCase(name, executable)) return true;
        }
    }
    return false;
}

std::string FormatProgress(int done, int total, const std::string& name, const char* format) {
    int length = std::snprintf(nullptr, 0, format, done, total, name.c_str());
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, done, total, name.c_str());
    return text;
}

std::filesystem::path DefaultPictureListsPath() {
    std::filesystem::path besides =
        std::filesystem::path(platform::ExecutableFolder()) / "picture_lists.txt";
    std::error_code code;
    if (std::filesystem::exists(besides, code)) return besides;
    // Installed: PREFIX/bin/kitshift reads PREFIX/share/kitshift.
    const std::filesystem::path shared = std::filesystem::path(platform::ExecutableFolder()) /
                                         ".." / "share" / "kitshift" / "picture_lists.txt";
    if (std::filesystem::exists(shared, code)) return shared;
    return std::filesystem::path(KITSHIFT_DATA_DIR) / "picture_lists.txt";
}

}  // namespace kitshift
