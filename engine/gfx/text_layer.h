#pragma once
// Text rendering into the screen buffer: the message text layer's glyph
// cells (anti-aliased by supersampling, optional drop shadow), the shared
// message font, and plain menu labels drawn straight to a buffer or device.
// Text is Shift-JIS; glyphs come from the platform's rasteriser by their
// Unicode code point.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/gfx/dirty_rect_list.h"
#include "engine/gfx/screen_buffer.h"
#include "formats/sjis.h"

namespace platform {
class GlyphRasterizer;
}

namespace gfx {

inline constexpr int kFontWeights[5] = {0, 200, 400, 600, 900};
inline constexpr uint32_t kBacklogColour = 0xCCCCCC;
inline constexpr int32_t kMenuGlyphBox = 48;  // the menu labels' glyph bitmap edge

// Takes the character at *position of a Shift-JIS text (two bytes when the
// first is a lead byte) in GlyphCell form and moves past it. False at the
// end of the text: its end, a zero byte, or a lead byte without its second.
inline bool NextSjisCharacter(std::string_view text, size_t* position, uint16_t* character,
                              bool* twoByte) {
    if (*position >= text.size()) return false;
    const uint8_t first = static_cast<uint8_t>(text[*position]);
    if (first == 0) return false;
    *twoByte = formats::IsSjisLead(first);
    if (!*twoByte) {
        *character = first;
        *position += 1;
        return true;
    }
    if (*position + 1 >= text.size() || text[*position + 1] == 0) return false;
    *character = static_cast<uint16_t>(first | (static_cast<uint8_t>(text[*position + 1]) << 8));
    *position += 2;
    return true;
}

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
    // Re-creates the font at height and weight index (0..4, clamped). A height
    // outside 1..platform::kMaxGlyphHeight leaves no font. Returns 1 or 0.
    int Select(int32_t height, int weightIndex);
    bool Exists() const { return exists_; }
    int32_t Height() const { return height_; }
    int WeightIndex() const { return weightIndex_; }
    // Renders one Shift-JIS character into an S x S coverage square (0 =
    // background, 255 = ink), S = the font's height; a character without ink
    // gives an empty square. Returns 0 (and nothing) when there is no font.
    int Rasterise(uint16_t character, std::vector<uint8_t>* coverage);

private:
    platform::GlyphRasterizer& glyphs_;
    bool exists_ = false;
    int32_t height_ = 0;
    int weightIndex_ = 4;
    // Squares already rendered at the current height and weight: a page is
    // redrawn whole whenever something passes over the window, and asking
    // the rasteriser again each time would cost most of the frame.
    std::unordered_map<uint16_t, std::vector<uint8_t>> rendered_;
};

class TextLayer {
public:
    // Cells whose box overlaps a dirty rectangle with draw flag 1 and whose
    // state is below 2 get state 1, while the layer or the backlog is shown.
    void MarkDirty(const DirtyRectList& dirty);
    // Draws all cells with a nonzero state (the backlog page's, in grey, when
    // the backlog is shown) and sets their state to 0. supersampling: the
    // level L (factor L + 1). Pixels outside the screen are clipped. A cell
    // the font cannot be made for keeps its state and is tried again.
    void Draw(ScreenBuffer& screen, MessageFont& font, int supersampling, bool shadow);

    std::vector<GlyphCell> cells;
    bool shown = false;
    bool backlogShown = false;
    std::vector<GlyphCell>* backlogPage = nullptr;  // owned by the message window

private:
    // The cells Draw and MarkDirty work on; nullptr when nothing is shown.
    std::vector<GlyphCell>* ActiveCells();

    std::vector<uint8_t> samples_;   // the rasterised square, kept between cells
    std::vector<uint8_t> coverage_;  // size x size coverage of the current cell
};

// Menu labels: each glyph pixel with any ink is set to colour (0x00BBGGRR),
// no blending. With screenBits, into the screen layout; otherwise device is
// an RGB565 buffer with the given pitches (the caller holds it between
// GXBeginDraw and GXEndDraw). size: the menu text size; a positive size other
// than the current one (12 at start) becomes the current one, 0 keeps it.
// Glyphs are cut to a 48 x 48 box; pixels off the 320 x 240 screen are
// clipped. Game thread only: the current size is shared.
void DrawTextDirect(uint8_t* screenBits, uint8_t* device, int32_t devicePitchX,
                    int32_t devicePitchY, std::string_view sjisText, int32_t x, int32_t y,
                    uint32_t colour, int32_t size, platform::GlyphRasterizer& glyphs);

}  // namespace gfx
