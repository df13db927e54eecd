#pragma once
// Draws a decoded movie frame straight into the device's display memory:
// 240 x 320 portrait RGB565, the landscape picture turned a quarter so that
// its top row lies along the screen's left edge. A screen position (x, y)
// is at base + x * pitchX + y * pitchY (pitches in bytes).
//
// Thread safety: none needed; pure functions over the buffers given.

#include <cstdint>

#include "platform/gx.h"

namespace movie {

// The frame buffer as FrameDecoder leaves it: rows of width x 4 bytes,
// blue, green, red and a byte of padding.
struct FramePicture {
    const uint8_t* pixels = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
};

// Pictures this wide or narrower are drawn at double size.
inline constexpr uint32_t kHalfSizeWidth = 160;

// Blue, green, red to the device's 5-6-5 word.
inline uint16_t ToRgb565(uint8_t blue, uint8_t green, uint8_t red) {
    return static_cast<uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3));
}

// Every pixel of the screen black.
void ClearScreen(uint8_t* device, const platform::GXDisplayProperties& display);

// Centred, at full size (whole groups of eight columns) or, for a picture
// kHalfSizeWidth wide or narrower, at double size with the in-between
// pixels averaged. The picture must fit the screen at that size.
void DrawFrame(const FramePicture& picture, uint8_t* device,
               const platform::GXDisplayProperties& display);

}  // namespace movie
