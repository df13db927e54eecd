#include "common/host_files.h"

#include <unistd.h>

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace common {

bool ReadHostFile(const fs::path& path, formats::ByteVector* bytes, std::string* why) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        *why = "is a folder, not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *why = "cannot open file";
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) {
        *why = "cannot read file";
        return false;
    }
    return true;
}

bool WriteHostFile(const fs::path& path, formats::ByteSpan bytes, std::string* why) {
    std::error_code error;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), error);
    if (error) {
        *why = "cannot create folder " + path.parent_path().string() + ": " + error.message();
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        *why = "cannot write file";
        return false;
    }
    return true;
}

bool WriteHostFileAtomically(const fs::path& path, formats::ByteSpan bytes, std::string* why) {
    fs::path temporary = path;
    temporary += ".tmp-" + std::to_string(getpid());
    std::error_code error;
    if (!WriteHostFile(temporary, bytes, why)) {
        fs::remove(temporary, error);
        return false;
    }
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        *why = "cannot write file: " + error.message();
        return false;
    }
    return true;
}

}  // namespace common
