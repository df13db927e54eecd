#include "engine/gfx/text_layer.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "platform/glyph_rasterizer.h"

namespace gfx {

namespace {

// Byte offset of landscape screen pixel (x, y), or -1 when it lies outside
// the screen: cells near the edges and their shadows may reach past it.
inline ptrdiff_t ScreenOffset(int32_t x, int32_t y) {
    if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return -1;
    return static_cast<ptrdiff_t>(kStoredRows - 1 - x) * kScreenRowBytes +
           static_cast<ptrdiff_t>(y) * 3;
}

bool Overlaps(const GlyphCell& cell, const Rect& rect) {
    return cell.left < rect.right && rect.left < cell.right && cell.top < rect.bottom &&
           rect.top < cell.bottom;
}

// The menu font's height: one per process, like the menu bar it serves.
int32_t menuFontSize = 12;

}  // namespace

int MessageFont::Select(int32_t height, int weightIndex) {
    weightIndex_ = std::clamp(weightIndex, 0, 4);
    exists_ = false;
    height_ = 0;
    rendered_.clear();
    if (height < 1 || height > platform::kMaxGlyphHeight) return 0;
    exists_ = true;
    height_ = height;
    return 1;
}

int MessageFont::Rasterise(uint16_t character, std::vector<uint8_t>* coverage) {
    if (!exists_) return 0;
    auto found = rendered_.find(character);
    if (found != rendered_.end()) {
        *coverage = found->second;
        return 1;
    }
    coverage->assign(static_cast<size_t>(height_) * height_, 0);
    glyphs_.Render(platform::SjisCharToCodePoint(character), height_, kFontWeights[weightIndex_],
                   *coverage);
    constexpr size_t kMaxRendered = 2048;  // a few pages of distinct characters
    if (rendered_.size() >= kMaxRendered) rendered_.clear();
    rendered_.emplace(character, *coverage);
    return 1;
}

std::vector<GlyphCell>* TextLayer::ActiveCells() {
    if (backlogShown) return backlogPage;
    return shown ? &cells : nullptr;
}

void TextLayer::MarkDirty(const DirtyRectList& dirty) {
    std::vector<GlyphCell>* active = ActiveCells();
    if (active == nullptr) return;
    const int count = dirty.Count();
    for (int i = 0; i < count; ++i) {
        Rect rect;
        if (dirty.Get(i, &rect) != 1) continue;
        for (GlyphCell& cell : *active) {
            if (cell.state < 2 && Overlaps(cell, rect)) cell.state = 1;
        }
    }
}

void TextLayer::Draw(ScreenBuffer& screen, MessageFont& font, int supersampling, bool shadow) {
    std::vector<GlyphCell>* active = ActiveCells();
    if (active == nullptr) return;
    const int32_t factor = std::max(supersampling, 0) + 1;
    const int32_t samplesPerPixel = factor * factor;
    uint8_t* bits = screen.Bits();

    for (GlyphCell& cell : *active) {
        if (cell.state == 0) continue;
        if (cell.size <= 0) {
            cell.state = 0;  // nothing to draw
            continue;
        }
        const int64_t wanted = static_cast<int64_t>(factor) * cell.size;
        const int32_t height =
            static_cast<int32_t>(std::min<int64_t>(wanted, platform::kMaxGlyphHeight + 1));
        if (!font.Exists() || font.Height() != height) font.Select(height, font.WeightIndex());
        if (!font.Exists() || !font.Rasterise(cell.character, &samples_)) continue;

        const int32_t size = cell.size;
        coverage_.assign(static_cast<size_t>(size) * size, 0);
        for (int32_t gy = 0; gy < size; ++gy) {
            for (int32_t gx = 0; gx < size; ++gx) {
                int32_t sum = 0;
                for (int32_t sy = 0; sy < factor; ++sy) {
                    const uint8_t* row =
                        samples_.data() + static_cast<size_t>(factor * gy + sy) * height;
                    for (int32_t sx = 0; sx < factor; ++sx) sum += row[factor * gx + sx];
                }
                coverage_[static_cast<size_t>(gy) * size + gx] =
                    static_cast<uint8_t>(sum / samplesPerPixel);
            }
        }

        if (shadow) {
            for (int32_t gy = 0; gy < size; ++gy) {
                for (int32_t gx = 0; gx < size; ++gx) {
                    const int c = coverage_[static_cast<size_t>(gy) * size + gx];
                    if (c == 0) continue;
                    const ptrdiff_t offset = ScreenOffset(cell.left + 1 + gx, cell.top + 1 + gy);
                    if (offset < 0) continue;
                    uint8_t* pixel = bits + offset;
                    for (int channel = 0; channel < 3; ++channel) {
                        pixel[channel] =
                            c == 255 ? 0 : static_cast<uint8_t>((pixel[channel] * (256 - c)) >> 8);
                    }
                }
            }
        }

        const uint32_t colour = backlogShown ? kBacklogColour : cell.colour;
        // Buffer order is blue, green, red; the text colour keeps red low.
        const int ink[3] = {static_cast<int>((colour >> 16) & 0xFF),
                            static_cast<int>((colour >> 8) & 0xFF),
                            static_cast<int>(colour & 0xFF)};
        for (int32_t gy = 0; gy < size; ++gy) {
            for (int32_t gx = 0; gx < size; ++gx) {
                const int c = coverage_[static_cast<size_t>(gy) * size + gx];
                if (c == 0) continue;
                const ptrdiff_t offset = ScreenOffset(cell.left + gx, cell.top + gy);
                if (offset < 0) continue;
                uint8_t* pixel = bits + offset;
                for (int channel = 0; channel < 3; ++channel) {
                    pixel[channel] =
                        c == 255 ? static_cast<uint8_t>(ink[channel])
                                 : static_cast<uint8_t>(((pixel[channel] * (256 - c)) >> 8) +
                                                        (ink[channel] * c) / 256);
                }
            }
        }
        cell.state = 0;
    }
}

void DrawTextDirect(uint8_t* screenBits, uint8_t* device, int32_t devicePitchX,
                    int32_t devicePitchY, std::string_view sjisText, int32_t x, int32_t y,
                    uint32_t colour, int32_t size, platform::GlyphRasterizer& glyphs) {
    if (size > 0 && size != menuFontSize) menuFontSize = size;
    if (screenBits == nullptr && device == nullptr) return;
    const int32_t edge = std::min(menuFontSize, platform::kMaxGlyphHeight);
    const int32_t visible = std::min(edge, kMenuGlyphBox);
    const uint8_t red = colour & 0xFF;
    const uint8_t green = (colour >> 8) & 0xFF;
    const uint8_t blue = (colour >> 16) & 0xFF;
    const uint16_t rgb565 =
        static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));

    std::vector<uint8_t> square(static_cast<size_t>(edge) * edge);
    size_t position = 0;
    uint16_t character = 0;
    bool twoByte = false;
    int64_t penX = x;
    while (NextSjisCharacter(sjisText, &position, &character, &twoByte)) {
        if (glyphs.Render(platform::SjisCharToCodePoint(character), edge, kFontWeights[2],
                          square)) {
            for (int32_t gy = 0; gy < visible; ++gy) {
                for (int32_t gx = 0; gx < visible; ++gx) {
                    if (square[static_cast<size_t>(gy) * edge + gx] == 0) continue;
                    const int64_t px = penX + gx;
                    const int64_t py = static_cast<int64_t>(y) + gy;
                    if (px < 0 || px >= kScreenWidth || py < 0 || py >= kScreenHeight) continue;
                    const int32_t row = kStoredRows - 1 - static_cast<int32_t>(px);
                    const int32_t column = static_cast<int32_t>(py);
                    if (screenBits != nullptr) {
                        uint8_t* pixel = screenBits +
                                         static_cast<ptrdiff_t>(row) * kScreenRowBytes +
                                         static_cast<ptrdiff_t>(column) * 3;
                        pixel[0] = blue;
                        pixel[1] = green;
                        pixel[2] = red;
                    } else {
                        std::memcpy(device + static_cast<ptrdiff_t>(row) * devicePitchY +
                                        static_cast<ptrdiff_t>(column) * devicePitchX,
                                    &rgb565, sizeof(rgb565));
                    }
                }
            }
        }
        penX += twoByte ? menuFontSize : menuFontSize / 2;
    }
}

}  // namespace gfx
