#include "engine/sound/wav_stream_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/device_path.h"

namespace sound {

WavStreamReader::~WavStreamReader() {
    Close();
}

int WavStreamReader::Open(std::string_view devicePath, Storage storage) {
    Close();
    std::string hostPath = platform::DeviceToHostPath(devicePath);
    int descriptor = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return 0;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return 0;
    }
    size_t size = static_cast<size_t>(status.st_size);
    if (size > 0) {
        void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (view == MAP_FAILED) {
            ::close(descriptor);
            return 0;
        }
        mapping_ = view;
    }
    // The mapping stays valid without the descriptor.
    ::close(descriptor);
    path_ = devicePath;
    size_ = size;
    data_ = static_cast<const uint8_t*>(mapping_);
    if (storage == Storage::kCopy && mapping_ != nullptr) {
        copy_.assign(data_, data_ + size);
        ::munmap(mapping_, size);
        mapping_ = nullptr;
        data_ = copy_.data();
    }
    position_ = 0;
    atEnd_ = false;
    return 1;
}

void WavStreamReader::Close() {
    if (mapping_ != nullptr) ::munmap(mapping_, size_);
    mapping_ = nullptr;
    copy_.clear();
    copy_.shrink_to_fit();
    data_ = nullptr;
    size_ = 0;
    position_ = 0;
    atEnd_ = true;
    path_.clear();
}

uint32_t WavStreamReader::Read(uint8_t* out, uint32_t count, bool loop) {
    if (atEnd_) return 0;
    if (position_ >= size_) {
        atEnd_ = true;
        return 0;
    }
    uint32_t copied = static_cast<uint32_t>(std::min<uint64_t>(count, size_ - position_));
    std::memcpy(out, data_ + position_, copied);
    position_ += copied;
    if (loop && position_ >= size_) {
        position_ = loopStart_;
        atEnd_ = false;
    } else if (copied == 0) {
        atEnd_ = true;
    }
    return copied;
}

}  // namespace sound
