#pragma once
// Draws the open menu over a copy of the screen it covers: the grey box with
// its raised edges, the header (status line and path), the items and the
// selection bar, into a 240 x 320 portrait surface laid out like the
// composition buffer, then presented through the Game API draw bracket.
// Closing presents the saved screen again.
//
// Thread safety: game thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/gfx/frame_composer.h"
#include "engine/gfx/screen_buffer.h"
#include "engine/menu/menu_widget.h"
#include "platform/glyph_rasterizer.h"

namespace menu {

struct Rgb {
    uint8_t red, green, blue;
};

class MenuPainter {
public:
    // screen: the picture under the menu; glyphs may be nullptr (no text).
    MenuPainter(const gfx::ScreenBuffer& screen, gfx::PresentTarget& target,
                platform::GlyphRasterizer* glyphs, int32_t xPitch, int32_t yPitch);

    // Keeps a copy of the screen (once per opening) and draws the menu.
    void Draw(const MenuWidget& widget);
    // Presents the saved screen and frees the copy.
    void Restore();

    const gfx::ScreenBuffer& Surface() const { return surface_; }

private:
    void Fill(int32_t left, int32_t top, int32_t right, int32_t bottom, Rgb colour);
    void Pixel(int32_t x, int32_t y, Rgb colour);
    void Text(int32_t x, int32_t y, const std::string& text, Rgb colour);
    void Glyph(int32_t x, int32_t y, const char* const* rows, Rgb colour);
    void Present();

    const gfx::ScreenBuffer& screen_;
    gfx::PresentTarget& target_;
    platform::GlyphRasterizer* glyphs_;
    gfx::ScreenBuffer surface_;
    std::vector<uint8_t> saved_;
    std::vector<uint8_t> square_;
};

}  // namespace menu
