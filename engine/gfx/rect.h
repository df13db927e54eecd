#pragma once
// Rectangles: left, top, right, bottom as signed 32-bit values, right and
// bottom exclusive. Landscape rectangles are in the 320 x 240 game picture;
// portrait ("stored") rectangles are in a store that holds landscape pixel
// (x, y) of a W-wide picture at row W - 1 - x, column y: left/right are
// stored columns, top/bottom stored rows.

#include <algorithm>
#include <cstdint>

namespace gfx {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

// The stored form of a landscape rectangle of a store whose landscape width
// is landscapeWidth: (top, W - right, bottom, W - left).
inline Rect ToPortraitRect(const Rect& landscape, int32_t landscapeWidth) {
    return Rect{landscape.top, landscapeWidth - landscape.right, landscape.bottom,
                landscapeWidth - landscape.left};
}

inline Rect Intersect(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

// Design coordinates (800 x 600) to screen coordinates (320 x 240), integer.
inline int32_t DesignToScreenX(int32_t x) {
    return x * 320 / 800;
}
inline int32_t DesignToScreenY(int32_t y) {
    return y * 240 / 600;
}

}  // namespace gfx
