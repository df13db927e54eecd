#pragma once
// Text rendering into the screen buffer: the message text layer's glyph
// cells (anti-aliased by supersampling, optional drop shadow), the shared
// message font, and plain menu labels drawn straight to a buffer or device.
// Text is Shift-JIS; glyphs come from the platform's rasteriser by their
// Unicode code point.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/gfx/dirty_rect_list.h"
#include "engine/gfx/screen_buffer.h"

namespace platform {
class GlyphRasterizer;
}

namespace gfx {

inline constexpr int kFontWeights[5] = {0, 200, 400, 600, 900};
inline constexpr uint32_t kBacklogColour = 0xCCCCCC;

struct GlyphCell {
    uint16_t state = 1;      // 0 drawn, 1 to be drawn, 2+ owned by the message window
    uint16_t character = 0;  // first Shift-JIS byte low, second byte high (0 for one byte)
    int32_t size = 0;        // glyph box edge in screen pixels
    uint32_t colour = 0;     // 0x00BBGGRR
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The one shared message font: its face is the fixed-pitch Japanese gothic,
// re-created only when another height is needed.
class MessageFont {
public:
    explicit MessageFont(platform::GlyphRasterizer& glyphs) : glyphs_(glyphs) {}
    // Re-creates the font at height and weight index (0..4). Returns 1 or 0.
    int Select(int32_t height, int weightIndex);
    bool Exists() const { return exists_; }
    int32_t Height() const { return height_; }
    int WeightIndex() const { return weightIndex_; }
    // Renders one Shift-JIS character into an S x S coverage square (0 =
    // background, 255 = ink), S = the font's height. Returns 1 or 0.
    int Rasterise(uint16_t character, std::vector<uint8_t>* coverage);

private:
    platform::GlyphRasterizer& glyphs_;
    bool exists_ = false;
    int32_t height_ = 0;
    int weightIndex_ = 4;
};

class TextLayer {
public:
    // Cells whose box overlaps a dirty rectangle with draw flag 1 and whose
    // state is below 2 get state 1, while the layer or the backlog is shown.
    void MarkDirty(const DirtyRectList& dirty);
    // Draws all marked cells (the backlog page's, in grey, when the backlog
    // is shown) and sets their state to 0.
    void Draw(ScreenBuffer& screen, MessageFont& font, int supersampling, bool shadow);

    std::vector<GlyphCell> cells;
    bool shown = false;
    bool backlogShown = false;
    std::vector<GlyphCell>* backlogPage = nullptr;  // owned by the message window
};

// Menu labels: each glyph pixel with any ink is set to colour (0x00BBGGRR),
// no blending. With screenBits, into the screen layout; otherwise device is
// an RGB565 buffer with the given pitches. size: the menu text size.
void DrawTextDirect(uint8_t* screenBits, uint8_t* device, int32_t devicePitchX,
                    int32_t devicePitchY, std::string_view sjisText, int32_t x, int32_t y,
                    uint32_t colour, int32_t size, platform::GlyphRasterizer& glyphs);

}  // namespace gfx
