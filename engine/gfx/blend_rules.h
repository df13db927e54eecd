#pragma once
// Per-pixel rules of the image kernels, shared by the rectangle kernels and
// transformed drawing. Each rule is a small function object called with a
// source pixel (blue, green, red, alpha) and a destination pixel (blue,
// green, red); the loops around them live in the kernel files.
//
// A source pixel of alpha 0 leaves the destination as it is in every rule.

#include <algorithm>
#include <cstdint>

#include "engine/gfx/image.h"
#include "engine/gfx/pixel_ops.h"

namespace gfx::kernels {

// Low bits the opacity kernel and the cross-fade drop, blue, green, red: what
// survives the handheld's RGB565 anyway.
inline constexpr uint8_t kChannelMask[3] = {0xF8, 0xFC, 0xF8};

inline uint8_t Bright(int brightness, int value) {
    return static_cast<uint8_t>(ApplyBrightness(brightness, value));
}

// The effective alpha under an opacity: an opaque pixel takes the opacity
// itself so that 256 stays reachable.
inline int ScaledAlpha(int alpha, int opacity) {
    return alpha == 255 ? opacity : (alpha * opacity) >> 8;
}

// The reference blend.
struct PlainBlend {
    void operator()(const uint8_t* s, uint8_t* d) const {
        int a = s[3];
        if (a == 0) return;
        if (a == 255) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            return;
        }
        for (int c = 0; c < 3; ++c)
            d[c] = static_cast<uint8_t>(((d[c] * (256 - a)) >> 8) + (s[c] * a) / 256);
    }
};

struct OpacityBlend {
    int opacity;
    void operator()(const uint8_t* s, uint8_t* d) const {
        if (s[3] == 0) return;
        int a = ScaledAlpha(s[3], opacity);
        for (int c = 0; c < 3; ++c)
            d[c] = static_cast<uint8_t>(((s[c] * a + d[c] * (256 - a)) >> 8) & kChannelMask[c]);
    }
};

struct BrightnessBlend {
    int brightness;
    void operator()(const uint8_t* s, uint8_t* d) const {
        int a = s[3];
        if (a == 0) return;
        for (int c = 0; c < 3; ++c) {
            int v = Bright(brightness, s[c]);
            d[c] = a == 255 ? static_cast<uint8_t>(v)
                            : static_cast<uint8_t>(((d[c] * (256 - a)) >> 8) + (v * a) / 256);
        }
    }
};

// Opacity and brightness together: the blend is formed without masking and
// wraps as a byte before the brightness rule.
inline uint8_t CombinedChannel(int a, int source, int destination) {
    return static_cast<uint8_t>(((a * source) >> 8) - (((a - 256) * destination + 255) >> 8));
}

struct CombinedBlend {
    int opacity;
    int brightness;
    void operator()(const uint8_t* s, uint8_t* d) const {
        if (s[3] == 0) return;
        int a = ScaledAlpha(s[3], opacity);
        for (int c = 0; c < 3; ++c) d[c] = Bright(brightness, CombinedChannel(a, s[c], d[c]));
    }
};

inline uint8_t Saturate(int value) {
    return static_cast<uint8_t>(std::min(255, value));
}

struct AdditiveBlend {
    void operator()(const uint8_t* s, uint8_t* d) const {
        int a = s[3];
        if (a == 0) return;
        for (int c = 0; c < 3; ++c)
            d[c] = Saturate(a == 255 ? d[c] + s[c] : d[c] + (s[c] * a) / 256);
    }
};

struct AdditiveOpacityBlend {
    int opacity;
    void operator()(const uint8_t* s, uint8_t* d) const {
        if (s[3] == 0) return;
        int a = ScaledAlpha(s[3], opacity);
        for (int c = 0; c < 3; ++c) d[c] = Saturate(d[c] + ((s[c] * a) >> 8));
    }
};

struct AdditiveBrightnessBlend {
    int brightness;
    void operator()(const uint8_t* s, uint8_t* d) const {
        int a = s[3];
        if (a == 0) return;
        for (int c = 0; c < 3; ++c)
            d[c] = Bright(brightness, Saturate(a == 255 ? d[c] + s[c] : d[c] + (s[c] * a) / 256));
    }
};

struct AdditiveCombinedBlend {
    int opacity;
    int brightness;
    void operator()(const uint8_t* s, uint8_t* d) const {
        if (s[3] == 0) return;
        int a = ScaledAlpha(s[3], opacity);
        for (int c = 0; c < 3; ++c) d[c] = Bright(brightness, Saturate(d[c] + ((s[c] * a) >> 8)));
    }
};

// Callers pass values from sprites and effects; keeping them in range keeps
// every rule inside a byte.
inline int ClampOpacity(int opacity) {
    return std::clamp(opacity, 0, 256);
}
inline int ClampBrightness(int brightness) {
    return std::clamp(brightness, 0, 512);
}

// Picks the plain, opacity, brightness or combined rule and hands it to run.
template <typename Plain, typename WithOpacity, typename WithBrightness, typename Combined,
          typename Run>
void WithRule(int opacity, int brightness, Run&& run) {
    opacity = ClampOpacity(opacity);
    brightness = ClampBrightness(brightness);
    if (opacity == 256 && brightness == 256) {
        run(Plain{});
    } else if (opacity == 256) {
        run(WithBrightness{brightness});
    } else if (brightness == 256) {
        run(WithOpacity{opacity});
    } else {
        run(Combined{opacity, brightness});
    }
}

// True when the image holds the pixels its stored size promises.
inline bool HasValidPixels(const Image& image) {
    if (image.storedWidth <= 0 || image.storedHeight <= 0) return false;
    return image.pixels.size() >=
           static_cast<size_t>(image.storedWidth) * static_cast<size_t>(image.storedHeight) * 4;
}

}  // namespace gfx::kernels
