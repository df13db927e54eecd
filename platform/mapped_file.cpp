#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/device_path.h"

namespace platform {

bool MappedFile::Open(std::string_view devicePath) {
    Close();
    std::string host = DeviceToHostPath(devicePath);
    int descriptor = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        return false;
    }
    const auto size = static_cast<size_t>(info.st_size);
    void* view = nullptr;
    if (size > 0) {
        view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (view == MAP_FAILED) {
            ::close(descriptor);
            return false;
        }
    }
    // The mapping stays valid without the descriptor.
    ::close(descriptor);
    data_ = static_cast<const uint8_t*>(view);
    size_ = size;
    return true;
}

void MappedFile::Close() {
    if (data_ != nullptr) ::munmap(const_cast<uint8_t*>(data_), static_cast<size_t>(size_));
    data_ = nullptr;
    size_ = 0;
}

}  // namespace platform
