#include "engine/sound/wav_stream_reader.h"

#include <algorithm>
#include <cstring>

namespace sound {

WavStreamReader::~WavStreamReader() {
    Close();
}

int WavStreamReader::Open(std::string_view devicePath, Storage storage) {
    Close();
    if (!mapped_.Open(devicePath)) return 0;
    path_ = devicePath;
    size_ = mapped_.Size();
    data_ = mapped_.Data();
    if (storage == Storage::kCopy && data_ != nullptr) {
        copy_.assign(data_, data_ + size_);
        mapped_.Close();
        data_ = copy_.data();
    }
    position_ = 0;
    atEnd_ = false;
    return 1;
}

void WavStreamReader::Close() {
    mapped_.Close();
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
