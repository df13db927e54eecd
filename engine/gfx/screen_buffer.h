#pragma once
// The composition buffer: the 320 x 240 landscape picture in portrait
// storage, 240 pixels by 320 rows of blue, green, red (rows of 720 bytes),
// landscape (x, y) at row 319 - x, column y. Only changed rectangles are
// converted to RGB565 and copied to the device.

#include <cstdint>
#include <vector>

#include "engine/gfx/rect.h"

namespace gfx {

inline constexpr int32_t kScreenWidth = 320;   // landscape
inline constexpr int32_t kScreenHeight = 240;  // landscape
inline constexpr int32_t kStoredColumns = 240;
inline constexpr int32_t kStoredRows = 320;
inline constexpr int32_t kScreenRowBytes = kStoredColumns * 3;  // 720

class ScreenBuffer {
public:
    ScreenBuffer() : bits_(static_cast<size_t>(kScreenRowBytes) * kStoredRows, 0) {}

    uint8_t* Bits() { return bits_.data(); }
    const uint8_t* Bits() const { return bits_.data(); }
    int32_t LandscapeWidth() const { return kScreenWidth; }
    int32_t LandscapeHeight() const { return kScreenHeight; }

    // Bytes between horizontally and vertically adjacent device pixels, from
    // the display properties.
    void SetDevicePitches(int32_t xPitch, int32_t yPitch) {
        devicePitchX_ = xPitch;
        devicePitchY_ = yPitch;
    }

    // Converts the pixels of the portrait destination rectangle to RGB565,
    // reading from the portrait source rectangle's top-left corner (they
    // differ while the screen shakes), at device offset row x yPitch +
    // column x xPitch. Rectangles are clipped to the buffer.
    void Present(uint8_t* device, const Rect& destination, const Rect& source) const;
    // The whole screen.
    void Present(uint8_t* device) const;

private:
    std::vector<uint8_t> bits_;
    int32_t devicePitchX_ = 2;
    int32_t devicePitchY_ = kStoredColumns * 2;
};

}  // namespace gfx
