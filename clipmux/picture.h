#pragma once
// A source or scaled frame in memory: rows top row first, no gap between
// rows, bytes 0, 1 and 2 of each pixel blue, green and red (a 4-byte pixel
// carries one more byte that nothing reads).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace clipmux {

struct Picture {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    std::vector<uint8_t> pixels;

    int Stride() const { return width * bytesPerPixel; }
    const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * Stride(); }
    uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * Stride(); }
    void Resize(int w, int h, int bpp) {
        width = w;
        height = h;
        bytesPerPixel = bpp;
        pixels.assign(static_cast<size_t>(w) * h * bpp, 0);
    }
};

}  // namespace clipmux
