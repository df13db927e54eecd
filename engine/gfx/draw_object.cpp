#include "engine/gfx/draw_object.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace gfx {

namespace {

// sin and cos of whole degrees in 10-bit fixed point, truncated, as the
// transformed drawing takes them.
int64_t Sin1024(int32_t degrees) {
    return static_cast<int64_t>(std::sin(degrees * std::numbers::pi / 180.0) * 1024.0);
}
int64_t Cos1024(int32_t degrees) {
    return static_cast<int64_t>(std::cos(degrees * std::numbers::pi / 180.0) * 1024.0);
}

// A box widened by a pixel on every side for the drawing's rounding.
Rect Widened(int64_t left, int64_t top, int64_t width, int64_t height) {
    if (width <= 0 || height <= 0) return Rect{};
    constexpr int64_t kLow = std::numeric_limits<int32_t>::min();
    constexpr int64_t kHigh = std::numeric_limits<int32_t>::max();
    return Rect{static_cast<int32_t>(std::clamp(left - 1, kLow, kHigh)),
                static_cast<int32_t>(std::clamp(top - 1, kLow, kHigh)),
                static_cast<int32_t>(std::clamp(left + width + 1, kLow, kHigh)),
                static_cast<int32_t>(std::clamp(top + height + 1, kLow, kHigh))};
}

// The box DrawImageTransformed fills, worked out by the same steps.
Rect TransformedBox(const DrawObject& o) {
    const int64_t w = o.sourceRight - o.sourceLeft;
    const int64_t h = o.sourceBottom - o.sourceTop;
    const int64_t sx = o.scaleX;
    const int64_t sy = o.scaleY;
    if (o.angle == 0) {
        if (sx <= 0 || sy <= 0) return Rect{};
        return Widened(o.x + o.pivotX - o.pivotX * sx / 1000, o.y + o.pivotY - o.pivotY * sy / 1000,
                       w * sx / 1000, h * sy / 1000);
    }
    const int64_t scale = (sx + sy) / 2;
    if (scale <= 0) return Rect{};
    const int64_t px = o.x + o.pivotX;
    const int64_t py = o.y + o.pivotY;

    // The source widened to a square of side max(w, h) about its centre.
    const int64_t side = std::max(w, h);
    int64_t squareLeft = o.x;
    int64_t squareTop = o.y;
    if (h < w) {
        squareTop = o.y - (w - h) / 2;
    } else {
        squareLeft = o.x - (h - w) / 2;
    }
    const int64_t sine = Sin1024(o.angle);
    const int64_t cosine = Cos1024(o.angle);
    // The minima start from 9999 and the maxima from 0, as in the drawing.
    int64_t minX = 9999, minY = 9999, maxX = 0, maxY = 0;
    for (int corner = 0; corner < 4; ++corner) {
        const int64_t dx = squareLeft + ((corner & 1) ? side : 0) - px;
        const int64_t dy = squareTop + ((corner & 2) ? side : 0) - py;
        const int64_t rx = px + ((dx * cosine - dy * sine + 512) >> 10);
        const int64_t ry = py + ((dy * cosine + dx * sine + 512) >> 10);
        minX = std::min(minX, rx);
        maxX = std::max(maxX, rx);
        minY = std::min(minY, ry);
        maxY = std::max(maxY, ry);
    }
    return Widened(px - scale * (px - minX) / 1000, py - scale * (py - minY) / 1000,
                   scale * (maxX - minX) / 1000 + 1, scale * (maxY - minY) / 1000 + 1);
}

}  // namespace

Rect DrawObject::ScreenRect() const {
    switch (kind) {
        case kDrawPicture:
        case kDrawPicture7:
        case kDrawPicture30:
            if (scaleX != 1000 || scaleY != 1000 || angle != 0) return TransformedBox(*this);
            [[fallthrough]];
        case kDrawColourRect:
            return Rect{x, y, x + (sourceRight - sourceLeft), y + (sourceBottom - sourceTop)};
        default:
            return Rect{};  // brightness settings and unknown kinds cover nothing
    }
}

}  // namespace gfx
