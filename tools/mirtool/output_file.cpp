#include "output_file.h"

#include <system_error>

#include "platform/host_file_sink.h"

namespace mirtool {

namespace fs = std::filesystem;

bool WriteOutputFile(const fs::path& path, formats::ByteSpan bytes, std::string* why) {
    std::error_code code;
    fs::file_status status = fs::status(path, code);
    if (fs::is_directory(status)) {
        *why = "is a folder";
        return false;
    }
    // A device or a pipe would be renamed away, not written to.
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        *why = "is not a regular file";
        return false;
    }
    std::unique_ptr<formats::ByteSink> sink =
        platform::HostFileSinkOpener()(path, formats::SinkPlacement::kStaged, why);
    if (!sink) return false;
    if (!sink->WriteAt(0, bytes) || !sink->Commit()) {
        *why = sink->LastError();
        return false;
    }
    return true;
}

bool MakeOutputFolder(const fs::path& folder, fs::path* failed, std::string* why) {
    std::error_code code;
    if (fs::is_directory(folder, code)) return true;
    // Walk down from the first missing folder, so that the one that fails is
    // the one named.
    fs::path made;
    for (const fs::path& part : folder) {
        made /= part;
        if (fs::is_directory(made, code)) continue;
        if (fs::exists(made, code)) {
            *failed = made;
            *why = "is a file, not a folder";
            return false;
        }
        if (!fs::create_directory(made, code) && !fs::is_directory(made, code)) {
            *failed = made;
            *why = code.message();
            return false;
        }
    }
    return true;
}

}  // namespace mirtool
