#include "engine/movie/frame_drawing.h"

#include <cstring>

namespace movie {

namespace {

inline void Put(uint8_t* at, uint16_t word) {
    std::memcpy(at, &word, sizeof word);
}

// Per channel floor((a + b) / 2) of two blue, green, red pixels, as 5-6-5.
inline uint16_t Average565(const uint8_t* a, const uint8_t* b) {
    return ToRgb565(static_cast<uint8_t>((a[0] + b[0]) >> 1),
                    static_cast<uint8_t>((a[1] + b[1]) >> 1),
                    static_cast<uint8_t>((a[2] + b[2]) >> 1));
}

void DrawFullSize(const FramePicture& picture, uint8_t* device, int32_t pitchX, int32_t pitchY) {
    const int32_t w = static_cast<int32_t>(picture.width);
    const int32_t h = static_cast<int32_t>(picture.height);
    const int32_t left = 120 - h / 2;    // screen x of the top row
    const int32_t bottom = 159 + w / 2;  // screen y of the left column
    const int32_t groups = w / 8;
    for (int32_t my = 0; my < h; ++my) {
        const uint8_t* in = picture.pixels + size_t(my) * size_t(w) * 3;
        uint8_t* out = device + (left + my) * pitchX + bottom * pitchY;
        for (int32_t group = 0; group < groups; ++group) {
            // Eight pixels a pass, going up the screen.
            for (int32_t k = 0; k < 8; ++k) {
                Put(out - k * pitchY, ToRgb565(in[0], in[1], in[2]));
                in += 3;
            }
            out -= 8 * pitchY;
        }
    }
}

void DrawHalfSize(const FramePicture& picture, uint8_t* device, int32_t pitchX, int32_t pitchY) {
    const int32_t w = static_cast<int32_t>(picture.width);
    const int32_t h = static_cast<int32_t>(picture.height);
    const int32_t x0 = 120 - h;
    const int32_t y0 = 159 + w;
    const size_t stride = size_t(w) * 3;
    for (int32_t my = 0; my < h; ++my) {
        const uint8_t* row = picture.pixels + size_t(my) * stride;
        // The last row and column have no neighbour beyond them: they pair
        // with themselves.
        const uint8_t* below = my + 1 < h ? row + stride : row;
        uint8_t* out = device + (x0 + 2 * my) * pitchX + y0 * pitchY;
        for (int32_t mx = 0; mx < w; ++mx) {
            const uint8_t* p = row + size_t(mx) * 3;
            const size_t right = mx + 1 < w ? 3 : 0;
            const uint8_t* q = below + size_t(mx) * 3;
            Put(out, ToRgb565(p[0], p[1], p[2]));
            Put(out - pitchY, Average565(p, p + right));
            Put(out + pitchX, Average565(p, q));
            Put(out + pitchX - pitchY, Average565(p, q + right));
            out -= 2 * pitchY;
        }
    }
}

}  // namespace

void ClearScreen(uint8_t* device, const platform::GXDisplayProperties& display) {
    for (int32_t y = 0; y < platform::kDeviceHeight; ++y) {
        for (int32_t x = 0; x < platform::kDeviceWidth; ++x) {
            Put(device + x * display.cbxPitch + y * display.cbyPitch, 0);
        }
    }
}

void DrawFrame(const FramePicture& picture, uint8_t* device,
               const platform::GXDisplayProperties& display) {
    if (picture.width > kHalfSizeWidth) {
        DrawFullSize(picture, device, display.cbxPitch, display.cbyPitch);
    } else {
        DrawHalfSize(picture, device, display.cbxPitch, display.cbyPitch);
    }
}

}  // namespace movie
