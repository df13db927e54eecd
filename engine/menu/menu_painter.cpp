#include "engine/menu/menu_painter.h"

#include <algorithm>
#include <cstring>

namespace menu {

namespace {

constexpr Rgb kFace{212, 208, 200};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kShadow{64, 64, 64};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kBar{0, 0, 128};
constexpr int32_t kFontHeight = 12;

// 12 x 6 glyphs, '#' is ink.
constexpr const char* kArrow[] = {
    "    #       ", "    ##      ", "    ###     ", "    ###     ", "    ##      ", "    #       ",
};
constexpr const char* kCheck[] = {
    "        #   ", "       ##   ", "  #   ##    ", "  ## ##     ", "   ###      ", "    #       ",
};

bool IsLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

MenuPainter::MenuPainter(const gfx::ScreenBuffer& screen, gfx::PresentTarget& target,
                         platform::GlyphRasterizer* glyphs, int32_t xPitch, int32_t yPitch)
    : screen_(screen), target_(target), glyphs_(glyphs) {
    surface_.SetDevicePitches(xPitch, yPitch);
    square_.resize(kFontHeight * kFontHeight);
}

void MenuPainter::Pixel(int32_t x, int32_t y, Rgb colour) {
    if (x < 0 || y < 0 || x >= gfx::kScreenWidth || y >= gfx::kScreenHeight) return;
    // Landscape (x, y) is stored at row 319 - x, column y, blue first.
    uint8_t* p = surface_.Bits() + (gfx::kStoredRows - 1 - x) * gfx::kScreenRowBytes + y * 3;
    p[0] = colour.blue;
    p[1] = colour.green;
    p[2] = colour.red;
}

void MenuPainter::Fill(int32_t left, int32_t top, int32_t right, int32_t bottom, Rgb colour) {
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) Pixel(x, y, colour);
    }
}

void MenuPainter::Text(int32_t x, int32_t y, const std::string& text, Rgb colour) {
    if (glyphs_ == nullptr) return;
    for (size_t i = 0; i < text.size();) {
        uint8_t first = static_cast<uint8_t>(text[i]);
        size_t length = IsLeadByte(first) && i + 1 < text.size() ? 2 : 1;
        uint16_t character = first;
        if (length == 2) character |= static_cast<uint16_t>(static_cast<uint8_t>(text[i + 1]) << 8);
        char32_t code = platform::SjisCharToCodePoint(character);
        if (glyphs_->Render(code, kFontHeight, 400, square_)) {
            for (int32_t r = 0; r < kFontHeight; ++r) {
                for (int32_t c = 0; c < kFontHeight; ++c) {
                    if (square_[r * kFontHeight + c] >= 128) Pixel(x + c, y + r, colour);
                }
            }
        }
        x += 6 * static_cast<int32_t>(length);
        i += length;
    }
}

void MenuPainter::Glyph(int32_t x, int32_t y, const char* const* rows, Rgb colour) {
    for (int32_t r = 0; r < 6; ++r) {
        for (int32_t c = 0; c < 12; ++c) {
            if (rows[r][c] == '#') Pixel(x + c, y + r, colour);
        }
    }
}

void MenuPainter::Draw(const MenuWidget& widget) {
    const size_t bytes = static_cast<size_t>(gfx::kScreenRowBytes) * gfx::kStoredRows;
    if (saved_.empty()) saved_.assign(screen_.Bits(), screen_.Bits() + bytes);
    std::memcpy(surface_.Bits(), saved_.data(), bytes);

    const int32_t w = widget.Width();
    const int32_t h = widget.Height();
    Fill(0, 0, w, h, kFace);
    Fill(0, 0, w, 1, kWhite);
    Fill(0, 0, 1, h, kWhite);
    Fill(0, h - 1, w, h, kBlack);
    Fill(w - 1, 0, w, h, kBlack);
    Fill(1, h - 2, w - 1, h - 1, kShadow);
    Fill(w - 2, 1, w - 1, h - 1, kShadow);

    Text(6, 4, widget.Status(), kBlack);
    Text(6, 16, widget.Path(), kBlack);
    if (w != 12) {
        Fill(6, 30, w - 6, 31, kGrey);
        Fill(6, 31, w - 6, 32, kWhite);
    }

    const MenuLevel* level = widget.Current();
    for (size_t i = 0; level != nullptr && i < level->items.size(); ++i) {
        const MenuItem& item = level->items[i];
        const int32_t top = 34 + 13 * static_cast<int32_t>(i);
        if (item.kind == kItemSeparator) {
            Fill(6, top + 5, w - 6, top + 6, kGrey);
            Fill(6, top + 6, w - 6, top + 7, kWhite);
            continue;
        }
        const bool selected = widget.Selected() == static_cast<int>(i);
        if (selected) Fill(11, top, w - 11, top + 13, kBar);
        const Rgb ink = selected ? kWhite : kBlack;
        const auto mark = [&](int32_t x, const char* const* glyph) {
            if (item.Enabled()) {
                Glyph(x, top + 4, glyph, ink);
            } else {
                Glyph(x + 1, top + 5, glyph, kWhite);
                Glyph(x, top + 4, glyph, kGrey);
            }
        };
        if (item.Enabled()) {
            Text(12, top, item.label, ink);
        } else {
            Text(13, top + 1, item.label, kWhite);
            Text(12, top, item.label, kGrey);
        }
        if (item.kind == kItemPopup) mark(w - 24, kArrow);
        if (item.Checked()) mark(0, kCheck);
    }
    Present();
}

void MenuPainter::Restore() {
    if (saved_.empty()) return;
    std::memcpy(surface_.Bits(), saved_.data(), saved_.size());
    Present();
    saved_.clear();
    saved_.shrink_to_fit();
}

void MenuPainter::Present() {
    uint8_t* device = target_.BeginDraw();
    if (device == nullptr) return;
    surface_.Present(device);
    target_.EndDraw();
}

}  // namespace menu
