// Scaled and rotated drawing with the standard blend. The destination box and
// the source stepping are worked out in 10-bit fixed point from sines and
// cosines truncated to multiples of 1/1024; every destination pixel of the
// box is then mapped back into the source rectangle.

#include <algorithm>
#include <cmath>

#include "engine/gfx/blend_rules.h"
#include "engine/gfx/pixel_ops.h"
#include "engine/gfx/screen_buffer.h"

namespace gfx {

namespace {

constexpr double kPi = 3.14159265358979323846;

int64_t Sin1024(int32_t degrees) {
    return static_cast<int64_t>(std::sin(degrees * kPi / 180.0) * 1024.0);
}
int64_t Cos1024(int32_t degrees) {
    return static_cast<int64_t>(std::cos(degrees * kPi / 180.0) * 1024.0);
}

// The destination box in landscape screen pixels and the fixed-point source
// position at its top-left pixel with the steps per column and per row.
struct Mapping {
    int64_t left = 0;
    int64_t top = 0;
    int64_t width = 0;
    int64_t height = 0;
    int64_t startU = 0;
    int64_t startV = 0;
    int64_t uPerColumn = 0;
    int64_t vPerColumn = 0;
    int64_t uPerRow = 0;
    int64_t vPerRow = 0;
};

bool MapScaled(const Transform& t, Mapping* m) {
    if (t.scaleX <= 0 || t.scaleY <= 0) return false;
    int64_t w = t.source.Width(), h = t.source.Height();
    m->left = t.x + t.pivotX - static_cast<int64_t>(t.pivotX) * t.scaleX / 1000;
    m->top = t.y + t.pivotY - static_cast<int64_t>(t.pivotY) * t.scaleY / 1000;
    m->width = w * t.scaleX / 1000;
    m->height = h * t.scaleY / 1000;
    m->uPerColumn = 1024000 / t.scaleX;
    m->vPerRow = 1024000 / t.scaleY;
    return true;
}

bool MapRotated(const Transform& t, Mapping* m) {
    int64_t scale = (static_cast<int64_t>(t.scaleX) + t.scaleY) / 2;
    if (scale <= 0) return false;
    int64_t w = t.source.Width(), h = t.source.Height();
    int64_t pivotX = static_cast<int64_t>(t.x) + t.pivotX;
    int64_t pivotY = static_cast<int64_t>(t.y) + t.pivotY;

    // The source widened to a square about its centre, so that the box holds
    // the picture at any angle.
    int64_t side = std::max(w, h);
    int64_t squareLeft = t.x, squareTop = t.y;
    if (h < w) {
        squareTop = t.y - (w - h) / 2;
    } else {
        squareLeft = t.x - (h - w) / 2;
    }

    int64_t cosine = Cos1024(t.angle), sine = Sin1024(t.angle);
    int64_t minX = 9999, minY = 9999, maxX = 0, maxY = 0;
    for (int corner = 0; corner < 4; ++corner) {
        int64_t dx = squareLeft + ((corner & 1) ? side : 0) - pivotX;
        int64_t dy = squareTop + ((corner & 2) ? side : 0) - pivotY;
        int64_t rx = pivotX + ((dx * cosine - dy * sine + 512) >> 10);
        int64_t ry = pivotY + ((dy * cosine + dx * sine + 512) >> 10);
        minX = std::min(minX, rx);
        maxX = std::max(maxX, rx);
        minY = std::min(minY, ry);
        maxY = std::max(maxY, ry);
    }
    int64_t boxWidth = maxX - minX, boxHeight = maxY - minY;

    int64_t backCos = Cos1024(-t.angle), backSin = Sin1024(-t.angle);
    m->startU = (w / 2) * 1024 - backCos * (boxWidth / 2) + backSin * (boxHeight / 2);
    m->startV = (h / 2) * 1024 - backCos * (boxHeight / 2) - backSin * (boxWidth / 2);
    m->uPerColumn = backCos * 1000 / scale;
    m->vPerColumn = backSin * 1000 / scale;
    m->uPerRow = Cos1024(90 - t.angle) * 1000 / scale;
    m->vPerRow = Sin1024(90 - t.angle) * 1000 / scale;

    m->left = pivotX - scale * (pivotX - minX) / 1000;
    m->top = pivotY - scale * (pivotY - minY) / 1000;
    m->width = scale * boxWidth / 1000 + 1;
    m->height = scale * boxHeight / 1000 + 1;
    return true;
}

// origin is the source rectangle's top-left corner, to which the mapped
// position is relative; limits is the part of it that may be read.
template <typename Rule>
void DrawMapped(const Image& image, uint8_t* screenBits, const Mapping& m, const Rect& origin,
                const Rect& limits, Rule rule) {
    for (int64_t j = 0; j < m.height; ++j) {
        int64_t u = m.startU + j * m.uPerRow;
        int64_t v = m.startV + j * m.vPerRow;
        int64_t y = m.top + j;
        for (int64_t i = 0; i < m.width; ++i, u += m.uPerColumn, v += m.vPerColumn) {
            int64_t sourceX = (u >> 10) + origin.left;
            int64_t sourceY = (v >> 10) + origin.top;
            if (sourceX < limits.left || sourceX >= limits.right || sourceY < limits.top ||
                sourceY >= limits.bottom)
                continue;
            int64_t x = m.left + i;
            const uint8_t* s = image.pixels.data() + image.OffsetOf(static_cast<int32_t>(sourceX),
                                                                    static_cast<int32_t>(sourceY));
            uint8_t* d = screenBits + (kScreenWidth - 1 - x) * kScreenRowBytes + y * 3;
            rule(s, d);
        }
    }
}

}  // namespace

void DrawImageTransformed(const Image& image, uint8_t* screenBits, const Transform& transform,
                          const Rect& clip, int opacity, int brightness) {
    if (screenBits == nullptr || !kernels::HasValidPixels(image)) return;
    Mapping m;
    if (!(transform.angle == 0 ? MapScaled(transform, &m) : MapRotated(transform, &m))) return;

    // Clip to the clip rectangle and the screen; the cut columns and rows
    // advance the start by as many steps.
    Rect bounds = Intersect(clip, Rect{0, 0, kScreenWidth, kScreenHeight});
    int64_t cutLeft = std::max<int64_t>(0, bounds.left - m.left);
    int64_t cutTop = std::max<int64_t>(0, bounds.top - m.top);
    int64_t right = std::min<int64_t>(m.left + m.width, bounds.right);
    int64_t bottom = std::min<int64_t>(m.top + m.height, bounds.bottom);
    m.left += cutLeft;
    m.top += cutTop;
    m.width = right - m.left;
    m.height = bottom - m.top;
    if (m.width <= 0 || m.height <= 0) return;
    m.startU += cutLeft * m.uPerColumn + cutTop * m.uPerRow;
    m.startV += cutLeft * m.vPerColumn + cutTop * m.vPerRow;

    // Pixels are only ever read from the part of the source the picture holds.
    Rect limits =
        Intersect(transform.source, Rect{0, 0, image.LandscapeWidth(), image.LandscapeHeight()});
    if (limits.IsEmpty()) return;

    kernels::WithRule<kernels::PlainBlend, kernels::OpacityBlend, kernels::BrightnessBlend,
                      kernels::CombinedBlend>(opacity, brightness, [&](auto rule) {
        DrawMapped(image, screenBits, m, transform.source, limits, rule);
    });
}

}  // namespace gfx
