#include "engine/sound/pcm_convert.h"

#include <algorithm>
#include <cstring>

namespace sound {

namespace {

constexpr uint32_t kOutputRate = 22050;
constexpr uint32_t kDoubleRate = 44100;

int16_t SampleAt(const uint8_t* bytes, size_t index) {
    return static_cast<int16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

void StoreFrame(uint8_t* out, int left, int right) {
    out[0] = static_cast<uint8_t>(left);
    out[1] = static_cast<uint8_t>(left >> 8);
    out[2] = static_cast<uint8_t>(right);
    out[3] = static_cast<uint8_t>(right >> 8);
}

}  // namespace

size_t ConvertedSize(size_t sourceBytes, uint32_t channels, uint32_t sampleRate) {
    size_t size = sourceBytes;
    if (channels == 1) size *= 2;
    if (sampleRate == kDoubleRate) size /= 2;
    return size;
}

size_t ConvertToOutput(std::span<const uint8_t> source, uint32_t channels, uint32_t sampleRate,
                       std::span<uint8_t> out) {
    if (channels == 2 && sampleRate == kOutputRate) {
        size_t bytes = std::min(source.size(), out.size());
        if (bytes > 0) std::memcpy(out.data(), source.data(), bytes);
        return bytes;
    }
    const bool mono = channels == 1;
    const bool halve = sampleRate == kDoubleRate;
    // Input samples consumed per output frame.
    const size_t step = (mono ? 1 : 2) * (halve ? 2 : 1);
    const size_t frames = std::min(out.size() / 4, source.size() / 2 / step);
    const uint8_t* in = source.data();
    uint8_t* write = out.data();
    for (size_t frame = 0; frame < frames; ++frame, write += 4) {
        size_t base = frame * step;
        int left, right;
        if (!halve) {
            left = SampleAt(in, base);
            right = mono ? left : SampleAt(in, base + 1);
        } else if (mono) {
            left = right = SampleAt(in, base + 1) / 2 + SampleAt(in, base) / 2;
        } else {
            left = SampleAt(in, base) / 2 + SampleAt(in, base + 2) / 2;
            right = SampleAt(in, base + 3) / 2 + SampleAt(in, base + 1) / 2;
        }
        StoreFrame(write, left, right);
    }
    return frames * 4;
}

}  // namespace sound
