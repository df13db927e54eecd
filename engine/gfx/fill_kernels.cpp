// Colour rectangles: the plain fill and the blended and additive fills with
// their opacity, brightness and combined forms.

#include <algorithm>

#include "engine/gfx/blend_rules.h"
#include "engine/gfx/pixel_ops.h"

namespace gfx {

namespace {

// Blue, green, red: the byte order of the buffers.
struct Channels {
    int value[3];
};

Channels Split(uint32_t colour) {
    return Channels{{static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                     static_cast<int>((colour >> 16) & 0xFF)}};
}

struct ColourFill {
    Channels colour;
    void operator()(uint8_t* d) const {
        for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(colour.value[c]);
    }
};

struct OpacityFill {
    Channels colour;
    int opacity;
    void operator()(uint8_t* d) const {
        for (int c = 0; c < 3; ++c)
            d[c] = static_cast<uint8_t>((opacity * colour.value[c]) / 256 +
                                        (((256 - opacity) * d[c]) >> 8));
    }
};

struct CombinedFill {
    Channels colour;
    int opacity;
    int brightness;
    void operator()(uint8_t* d) const {
        for (int c = 0; c < 3; ++c)
            d[c] = kernels::Bright(brightness,
                                   kernels::CombinedChannel(opacity, colour.value[c], d[c]));
    }
};

// The additive fills: colour already scaled by the opacity (256 leaves it).
struct AdditiveFill {
    Channels colour;
    int brightness;
    void operator()(uint8_t* d) const {
        for (int c = 0; c < 3; ++c) {
            uint8_t sum = kernels::Saturate(d[c] + colour.value[c]);
            d[c] = brightness == 256 ? sum : kernels::Bright(brightness, sum);
        }
    }
};

// The rectangle cut to the destination; false when nothing is left.
bool ClipFill(const Rect& rect, int32_t columns, int64_t rows, Rect* clipped) {
    int64_t left = std::max<int64_t>(rect.left, 0);
    int64_t top = std::max<int64_t>(rect.top, 0);
    int64_t right = std::min<int64_t>(rect.right, columns);
    int64_t bottom = std::min<int64_t>(rect.bottom, rows);
    if (right <= left || bottom <= top) return false;
    *clipped = Rect{static_cast<int32_t>(left), static_cast<int32_t>(top),
                    static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
    return true;
}

template <typename Rule>
void FillArea(uint8_t* bits, int32_t rowLength, int32_t bytesPerPixel, const Rect& rect,
              Rule rule) {
    for (int32_t r = rect.top; r < rect.bottom; ++r) {
        uint8_t* d = bits + (static_cast<size_t>(r) * rowLength + rect.left) * bytesPerPixel;
        for (int32_t c = rect.left; c < rect.right; ++c, d += bytesPerPixel) rule(d);
    }
}

bool ClipToDestination(const Destination& destination, const Rect& rect, Rect* clipped) {
    if (destination.bits == nullptr || destination.rowLength <= 0) return false;
    return ClipFill(rect, destination.rowLength, destination.rows, clipped);
}

}  // namespace

void FillRect(uint8_t* buffer, int32_t rowLength, const Rect& rect, uint32_t colour,
              int32_t bytesPerPixel) {
    Rect clipped;
    if (buffer == nullptr || rowLength <= 0 || bytesPerPixel < 3 ||
        !ClipFill(rect, rowLength, INT32_MAX, &clipped))
        return;
    FillArea(buffer, rowLength, bytesPerPixel, clipped, ColourFill{Split(colour)});
}

void FillColour(uint32_t colour, Destination destination, const Rect& rect, int opacity,
                int brightness) {
    Rect clipped;
    if (!ClipToDestination(destination, rect, &clipped)) return;
    opacity = kernels::ClampOpacity(opacity);
    brightness = kernels::ClampBrightness(brightness);
    Channels channels = Split(colour);
    uint8_t* bits = destination.bits;
    int32_t rowLength = destination.rowLength;
    if (opacity == 256 && brightness == 256) {
        FillArea(bits, rowLength, 3, clipped, ColourFill{channels});
    } else if (opacity == 256) {
        Channels bright = channels;
        for (int& v : bright.value) v = ApplyBrightness(brightness, v);
        FillArea(bits, rowLength, 3, clipped, ColourFill{bright});
    } else if (brightness == 256) {
        FillArea(bits, rowLength, 3, clipped, OpacityFill{channels, opacity});
    } else {
        FillArea(bits, rowLength, 3, clipped, CombinedFill{channels, opacity, brightness});
    }
}

void FillColourAdditive(uint32_t colour, Destination destination, const Rect& rect, int opacity,
                        int brightness) {
    Rect clipped;
    if (!ClipToDestination(destination, rect, &clipped)) return;
    opacity = kernels::ClampOpacity(opacity);
    brightness = kernels::ClampBrightness(brightness);
    Channels added = Split(colour);
    if (opacity != 256) {
        for (int& v : added.value) v = (opacity * v) / 256;
    }
    FillArea(destination.bits, destination.rowLength, 3, clipped, AdditiveFill{added, brightness});
}

}  // namespace gfx
