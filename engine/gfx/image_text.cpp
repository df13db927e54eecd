// Image::DrawText lives with the text code: it shares the rasteriser and the
// Shift-JIS walk with the message text layer.

#include <algorithm>
#include <vector>

#include "engine/gfx/image.h"
#include "engine/gfx/text_layer.h"
#include "platform/glyph_rasterizer.h"

namespace gfx {

namespace {

// The image text font's weight: heavy, so small labels stay legible after
// the two-times reduction.
constexpr int32_t kImageTextWeight = 900;

int64_t DesignToImage(int64_t value) {
    return value * 320 / 800;
}

}  // namespace

void Image::DrawText(std::string_view sjisText, int32_t size, int32_t x, int32_t y, uint32_t colour,
                     platform::GlyphRasterizer& glyphs) {
    if (!HasPixels()) return;
    const int64_t f = DesignToImage(size);
    if (f <= 0 || 2 * f > platform::kMaxGlyphHeight) return;
    const int32_t edge = static_cast<int32_t>(2 * f);
    const int64_t boxLeft = DesignToImage(x);
    const int64_t boxTop = DesignToImage(y);
    const uint8_t red = colour & 0xFF;
    const uint8_t green = (colour >> 8) & 0xFF;
    const uint8_t blue = (colour >> 16) & 0xFF;
    const int32_t width = LandscapeWidth();
    const int32_t height = LandscapeHeight();

    std::vector<uint8_t> square(static_cast<size_t>(edge) * edge);
    size_t position = 0;
    uint16_t character = 0;
    bool twoByte = false;
    int64_t advanceSoFar = 0;
    while (NextSjisCharacter(sjisText, &position, &character, &twoByte)) {
        // An inkless character still clears its box: the box is overwritten
        // whole, so what the image held there becomes transparent.
        std::fill(square.begin(), square.end(), uint8_t{0});
        glyphs.Render(platform::SjisCharToCodePoint(character), edge, kImageTextWeight, square);
        const int64_t advance = twoByte ? f : f / 2;
        for (int64_t j = 0; j < f; ++j) {
            const int64_t py = boxTop + j;
            if (py < 0 || py >= height) continue;
            const uint8_t* top = square.data() + static_cast<size_t>(2 * j) * edge;
            const uint8_t* bottom = top + edge;
            for (int64_t i = 0; i < advance; ++i) {
                const int64_t px = boxLeft + advanceSoFar + i;
                if (px < 0 || px >= width) continue;
                const int sum = top[2 * i] + top[2 * i + 1] + bottom[2 * i] + bottom[2 * i + 1];
                uint8_t* pixel =
                    pixels.data() + OffsetOf(static_cast<int32_t>(px), static_cast<int32_t>(py));
                pixel[0] = blue;
                pixel[1] = green;
                pixel[2] = red;
                pixel[3] = static_cast<uint8_t>(sum / 4);
            }
        }
        advanceSoFar += advance;
    }
}

}  // namespace gfx
