#include "platform/device_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/device_path.h"

namespace platform {

std::unique_ptr<DeviceFile> DeviceFile::OpenForReading(std::string_view devicePath) {
    return OpenHostFile(DeviceToHostPath(devicePath), nullptr);
}

std::unique_ptr<DeviceFile> DeviceFile::OpenHostFile(const std::string& hostPath,
                                                     std::string* why) {
    int descriptor = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        if (why != nullptr) *why = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    const char* refusal = nullptr;
    if (::fstat(descriptor, &info) != 0) {
        refusal = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        refusal = "is a folder";
    } else if (!S_ISREG(info.st_mode)) {
        refusal = "not a regular file";
    }
    if (refusal != nullptr) {
        if (why != nullptr) *why = refusal;
        ::close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<DeviceFile>(
        new DeviceFile(descriptor, static_cast<uint64_t>(info.st_size)));
}

DeviceFile::~DeviceFile() {
    ::close(descriptor_);
}

size_t DeviceFile::ReadSomeAt(uint64_t offset, std::span<uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::pread(descriptor_, bytes.data() + done, bytes.size() - done,
                              static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

formats::ByteSourceOpener DeviceFileOpener() {
    return
        [](std::string_view devicePath, std::string* why) -> std::unique_ptr<formats::ByteSource> {
            return DeviceFile::OpenHostFile(DeviceToHostPath(devicePath), why);
        };
}

bool ReadWholeFile(std::string_view devicePath, std::vector<uint8_t>* bytes, uint64_t maxBytes) {
    bytes->clear();
    auto file = DeviceFile::OpenForReading(devicePath);
    if (!file || file->Size() > maxBytes) return false;
    std::vector<uint8_t> data(static_cast<size_t>(file->Size()));
    if (!file->ReadAt(0, data)) return false;
    *bytes = std::move(data);
    return true;
}

}  // namespace platform
