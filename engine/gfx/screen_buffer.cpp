#include "engine/gfx/screen_buffer.h"

#include <algorithm>

namespace gfx {

void ScreenBuffer::Present(uint8_t* device, const Rect& destination, const Rect& source) const {
    if (device == nullptr) return;
    int64_t left = destination.left, top = destination.top;
    int64_t right = std::min<int64_t>(destination.right, kStoredColumns);
    int64_t bottom = std::min<int64_t>(destination.bottom, kStoredRows);
    int64_t sourceLeft = source.left, sourceTop = source.top;
    // Cut the destination to the device and the reads to the buffer, each
    // cut moving the other side along with it.
    if (left < 0) {
        sourceLeft -= left;
        left = 0;
    }
    if (top < 0) {
        sourceTop -= top;
        top = 0;
    }
    if (sourceLeft < 0) {
        left -= sourceLeft;
        sourceLeft = 0;
    }
    if (sourceTop < 0) {
        top -= sourceTop;
        sourceTop = 0;
    }
    int64_t width = std::min(right - left, kStoredColumns - sourceLeft);
    int64_t height = std::min(bottom - top, kStoredRows - sourceTop);
    if (width <= 0 || height <= 0) return;

    for (int64_t r = 0; r < height; ++r) {
        const uint8_t* s = bits_.data() + (sourceTop + r) * kScreenRowBytes + sourceLeft * 3;
        uint8_t* d = device + (top + r) * devicePitchY_ + left * devicePitchX_;
        for (int64_t c = 0; c < width; ++c, s += 3, d += devicePitchX_) {
            uint16_t word =
                static_cast<uint16_t>(((s[2] >> 3) << 11) | ((s[1] >> 2) << 5) | (s[0] >> 3));
            d[0] = static_cast<uint8_t>(word);
            d[1] = static_cast<uint8_t>(word >> 8);
        }
    }
}

void ScreenBuffer::Present(uint8_t* device) const {
    Rect whole{0, 0, kStoredColumns, kStoredRows};
    Present(device, whole, whole);
}

}  // namespace gfx
