#include "platform/host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

namespace {

std::string SystemReason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Writes every byte, retrying short writes and interruptions.
bool WriteAll(int descriptor, formats::ByteSpan bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// The rename is only durable once the folder's entry is on the disk too.
void FlushFolder(const fs::path& folder) {
    int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

bool ReadHostFile(const fs::path& path, formats::ByteVector* bytes, std::string* why) {
    bytes->clear();
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        *why = std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        *why = "is a folder";
        return false;
    }
    uint8_t buffer[65536];
    for (;;) {
        ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            *why = std::strerror(errno);
            ::close(descriptor);
            bytes->clear();
            return false;
        }
        if (count == 0) break;
        bytes->insert(bytes->end(), buffer, buffer + count);
    }
    ::close(descriptor);
    return true;
}

bool CheckFolderWritable(const fs::path& folder, std::string* why) {
    struct stat status {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &status) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        *why = "is a file, not a folder";
        return false;
    }
    // Permission bits do not tell the whole story (read-only mounts, other
    // owners, the superuser): only creating a file does.
    fs::path probe = folder / (".write-probe-" + std::to_string(::getpid()));
    int descriptor = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        *why = std::strerror(errno);
        return false;
    }
    ::close(descriptor);
    ::unlink(probe.c_str());
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
    std::error_code error;
    fs::path folder = path.parent_path();
    if (!folder.empty()) fs::create_directories(folder, error);
    if (error) {
        *why = "cannot create folder " + folder.string() + ": " + error.message();
        return false;
    }
    fs::path temporary = path;
    temporary += ".tmp-" + std::to_string(::getpid());
    int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        *why = SystemReason("cannot write file");
        return false;
    }
    bool written = WriteAll(descriptor, bytes);
    if (!written) *why = SystemReason("cannot write file");
    if (written && ::fsync(descriptor) != 0) {
        *why = SystemReason("cannot flush file");
        written = false;
    }
    if (::close(descriptor) != 0 && written) {
        *why = SystemReason("cannot write file");
        written = false;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
        *why = SystemReason("cannot replace file");
        written = false;
    }
    if (!written) {
        fs::remove(temporary, error);
        return false;
    }
    FlushFolder(folder);
    return true;
}

}  // namespace platform
