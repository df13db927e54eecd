// Image kernels over stored rectangles: the standard blend, the additive
// blend and the cross-fade, each in its plain, opacity, brightness and
// combined form (the rules are in blend_rules.h).

#include <algorithm>

#include "engine/gfx/blend_rules.h"
#include "engine/gfx/pixel_ops.h"

namespace gfx {

namespace {

// The part of a copy that lies both inside the source picture and inside the
// destination, with where it starts in each.
struct CopyArea {
    int32_t sourceLeft = 0;
    int32_t sourceTop = 0;
    int32_t column = 0;
    int32_t row = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Cuts the source rectangle to the picture (imageWidth x imageHeight stored
// pixels) and the placement to the destination, moving the other side by the
// same amount. False when nothing is left. 64-bit so that no stray
// rectangle can overflow.
bool ClipCopy(const Rect& source, int32_t imageWidth, int32_t imageHeight, int32_t column,
              int32_t row, const Destination& destination, CopyArea* area) {
    if (destination.bits == nullptr || destination.rowLength <= 0 || destination.rows <= 0)
        return false;
    int64_t left = source.left, top = source.top;
    int64_t right = std::min<int64_t>(source.right, imageWidth);
    int64_t bottom = std::min<int64_t>(source.bottom, imageHeight);
    int64_t x = column, y = row;
    if (left < 0) {
        x -= left;
        left = 0;
    }
    if (top < 0) {
        y -= top;
        top = 0;
    }
    if (x < 0) {
        left -= x;
        x = 0;
    }
    if (y < 0) {
        top -= y;
        y = 0;
    }
    int64_t width = std::min(right - left, destination.rowLength - x);
    int64_t height = std::min(bottom - top, destination.rows - y);
    if (width <= 0 || height <= 0) return false;
    *area = CopyArea{static_cast<int32_t>(left),  static_cast<int32_t>(top),
                     static_cast<int32_t>(x),     static_cast<int32_t>(y),
                     static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return true;
}

template <typename Rule>
void BlendArea(const Image& image, const Destination& destination, const CopyArea& area,
               Rule rule) {
    for (int32_t r = 0; r < area.height; ++r) {
        const uint8_t* s =
            image.pixels.data() +
            (static_cast<size_t>(area.sourceTop + r) * image.storedWidth + area.sourceLeft) * 4;
        uint8_t* d = destination.bits +
                     (static_cast<size_t>(area.row + r) * destination.rowLength + area.column) * 3;
        for (int32_t c = 0; c < area.width; ++c, s += 4, d += 3) rule(s, d);
    }
}

// Cross-fade of two pictures at the same source position: A and B mixed by
// the ratio where both show (masked like the opacity kernel), either alone
// where only it shows, and the mix laid over the destination with the mixed
// alpha h. brightness 256 leaves the mixed colour as it is.
void CrossfadeArea(const Image& a, const Image& b, const Destination& destination,
                   const CopyArea& area, int ratio, int brightness) {
    for (int32_t r = 0; r < area.height; ++r) {
        size_t sourceOffset =
            (static_cast<size_t>(area.sourceTop + r) * a.storedWidth + area.sourceLeft) * 4;
        size_t sourceOffsetB =
            (static_cast<size_t>(area.sourceTop + r) * b.storedWidth + area.sourceLeft) * 4;
        const uint8_t* pa = a.pixels.data() + sourceOffset;
        const uint8_t* pb = b.pixels.data() + sourceOffsetB;
        uint8_t* d = destination.bits +
                     (static_cast<size_t>(area.row + r) * destination.rowLength + area.column) * 3;
        for (int32_t c = 0; c < area.width; ++c, pa += 4, pb += 4, d += 3) {
            int alphaA = pa[3], alphaB = pb[3];
            if (alphaA == 0 && alphaB == 0) continue;
            int colour[3];
            for (int k = 0; k < 3; ++k) {
                if (alphaA != 0 && alphaB != 0) {
                    colour[k] =
                        ((ratio * pa[k] - (ratio - 256) * pb[k]) >> 8) & kernels::kChannelMask[k];
                } else {
                    colour[k] = alphaA != 0 ? pa[k] : pb[k];
                }
                if (brightness != 256) colour[k] = ApplyBrightness(brightness, colour[k]);
            }
            // An invisible picture's alpha is 0, so its share drops out by itself.
            int h = (ratio * alphaA + (256 - ratio) * alphaB) >> 8;
            for (int k = 0; k < 3; ++k) {
                d[k] = h == 255 ? static_cast<uint8_t>(colour[k])
                                : static_cast<uint8_t>((colour[k] * h + d[k] * (256 - h)) >> 8);
            }
        }
    }
}

}  // namespace

void DrawImage(const Image& image, Destination destination, int32_t column, int32_t row,
               const Rect& source, int opacity, int brightness) {
    CopyArea area;
    if (!kernels::HasValidPixels(image) ||
        !ClipCopy(source, image.storedWidth, image.storedHeight, column, row, destination, &area))
        return;
    kernels::WithRule<kernels::PlainBlend, kernels::OpacityBlend, kernels::BrightnessBlend,
                      kernels::CombinedBlend>(
        opacity, brightness, [&](auto rule) { BlendArea(image, destination, area, rule); });
}

void DrawImageAdditive(const Image& image, Destination destination, int32_t column, int32_t row,
                       const Rect& source, int opacity, int brightness) {
    CopyArea area;
    if (!kernels::HasValidPixels(image) ||
        !ClipCopy(source, image.storedWidth, image.storedHeight, column, row, destination, &area))
        return;
    kernels::WithRule<kernels::AdditiveBlend, kernels::AdditiveOpacityBlend,
                      kernels::AdditiveBrightnessBlend, kernels::AdditiveCombinedBlend>(
        opacity, brightness, [&](auto rule) { BlendArea(image, destination, area, rule); });
}

void DrawCrossfade(const Image& a, const Image& b, Destination destination, int32_t column,
                   int32_t row, const Rect& source, int ratio, int brightness) {
    ratio = kernels::ClampOpacity(ratio);
    brightness = kernels::ClampBrightness(brightness);
    if (ratio == 256) {
        DrawImage(a, destination, column, row, source, 256, brightness);
        return;
    }
    CopyArea area;
    // Only the part both pictures hold can be mixed.
    if (!kernels::HasValidPixels(a) || !kernels::HasValidPixels(b) ||
        !ClipCopy(source, std::min(a.storedWidth, b.storedWidth),
                  std::min(a.storedHeight, b.storedHeight), column, row, destination, &area))
        return;
    CrossfadeArea(a, b, destination, area, ratio, brightness);
}

}  // namespace gfx
