#include "engine/gfx/text_layer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/gfx/image.h"
#include "platform/glyph_rasterizer.h"

namespace {

using gfx::GlyphCell;
using gfx::ScreenBuffer;
using gfx::TextLayer;

// A rasteriser whose squares the test chooses: ink(codePoint, x, y, S) gives
// each sample. It records what it was asked for.
class FakeGlyphs : public platform::GlyphRasterizer {
public:
    using InkFunction = std::function<uint8_t(char32_t, int32_t, int32_t, int32_t)>;
    explicit FakeGlyphs(InkFunction ink) : ink_(std::move(ink)) {}

    bool Render(char32_t codePoint, int32_t pixelHeight, int32_t weight,
                std::span<uint8_t> square) override {
        calls.push_back({codePoint, pixelHeight, weight});
        if (pixelHeight < 1 || square.size() < static_cast<size_t>(pixelHeight) * pixelHeight)
            return false;
        bool any = false;
        for (int32_t y = 0; y < pixelHeight; ++y) {
            for (int32_t x = 0; x < pixelHeight; ++x) {
                uint8_t value = ink_(codePoint, x, y, pixelHeight);
                square[static_cast<size_t>(y) * pixelHeight + x] = value;
                any = any || value != 0;
            }
        }
        return any;
    }

    struct Call {
        char32_t codePoint;
        int32_t height;
        int32_t weight;
    };
    std::vector<Call> calls;

private:
    InkFunction ink_;
};

uint8_t Solid(char32_t codePoint, int32_t, int32_t, int32_t) {
    return codePoint == U' ' ? 0 : 255;
}

struct Bgr {
    int blue, green, red;
    bool operator==(const Bgr&) const = default;
};

Bgr PixelAt(const ScreenBuffer& screen, int32_t x, int32_t y) {
    const uint8_t* p =
        screen.Bits() + static_cast<ptrdiff_t>(319 - x) * 720 + static_cast<ptrdiff_t>(y) * 3;
    return {p[0], p[1], p[2]};
}

void FillScreen(ScreenBuffer& screen, uint8_t value) {
    std::memset(screen.Bits(), value, static_cast<size_t>(720) * 320);
}

GlyphCell Cell(uint16_t character, int32_t size, int32_t left, int32_t top, uint32_t colour,
               uint16_t state = 1) {
    GlyphCell cell;
    cell.state = state;
    cell.character = character;
    cell.size = size;
    cell.colour = colour;
    cell.left = left;
    cell.top = top;
    cell.right = left + size;
    cell.bottom = top + size;
    return cell;
}

// The ink rule for one channel over background b at coverage c.
int Blend(int background, int ink, int c) {
    if (c == 0) return background;
    if (c == 255) return ink;
    return ((background * (256 - c)) >> 8) + (ink * c) / 256;
}

// Coverage is the mean of the F x F samples behind each screen pixel. The
// expected picture is computed here from what the real rasteriser draws.
TEST(TextLayerDraw, CoverageAveragesTheSupersamplesOfARealGlyph) {
    std::string error;
    auto glyphs = platform::GlyphRasterizer::Create(&error);
    ASSERT_NE(glyphs, nullptr) << error;
    constexpr int32_t kSize = 12;
    constexpr uint16_t kHiraganaA = 0xA082;
    constexpr uint32_t kColour = 0x2080F0;  // red F0, green 80, blue 20
    const std::array<int, 3> ink = {0x20, 0x80, 0xF0};

    for (int level : {0, 1}) {
        const int32_t factor = level + 1;
        const int32_t edge = kSize * factor;
        std::vector<uint8_t> samples(static_cast<size_t>(edge) * edge);
        ASSERT_TRUE(glyphs->Render(U'\u3042', edge, gfx::kFontWeights[4], samples));

        ScreenBuffer screen;
        FillScreen(screen, 0x40);
        gfx::MessageFont font(*glyphs);
        TextLayer layer;
        layer.shown = true;
        layer.cells.push_back(Cell(kHiraganaA, kSize, 30, 50, kColour));
        layer.Draw(screen, font, level, false);

        EXPECT_EQ(font.Height(), edge);
        EXPECT_EQ(layer.cells[0].state, 0);
        int inked = 0;
        for (int32_t gy = 0; gy < kSize; ++gy) {
            for (int32_t gx = 0; gx < kSize; ++gx) {
                int sum = 0;
                for (int32_t sy = 0; sy < factor; ++sy)
                    for (int32_t sx = 0; sx < factor; ++sx)
                        sum += samples[(factor * gy + sy) * edge + factor * gx + sx];
                const int c = sum / (factor * factor);
                inked += c != 0;
                const Bgr expected{Blend(0x40, ink[0], c), Blend(0x40, ink[1], c),
                                   Blend(0x40, ink[2], c)};
                ASSERT_EQ(PixelAt(screen, 30 + gx, 50 + gy), expected)
                    << "level " << level << " at " << gx << "," << gy;
            }
        }
        EXPECT_GT(inked, kSize * 2);
        EXPECT_EQ(PixelAt(screen, 30 + kSize, 50), (Bgr{0x40, 0x40, 0x40}));
    }
}

// Stripes one sample wide: each screen pixel at level 1 is half covered.
TEST(TextLayerDraw, HalfCoveredPixelGetsHalfCoverage) {
    FakeGlyphs glyphs(
        [](char32_t, int32_t x, int32_t, int32_t) -> uint8_t { return x % 2 == 0 ? 255 : 0; });
    gfx::MessageFont font(glyphs);
    for (int level : {0, 1}) {
        ScreenBuffer screen;
        TextLayer layer;
        layer.shown = true;
        layer.cells.push_back(Cell('A', 8, 0, 0, 0xFFFFFF));
        layer.Draw(screen, font, level, false);
        ASSERT_FALSE(glyphs.calls.empty());
        EXPECT_EQ(glyphs.calls.back().height, 8 * (level + 1));
        EXPECT_EQ(glyphs.calls.back().weight, 900);  // weight index 4 at start
        if (level == 0) {
            EXPECT_EQ(PixelAt(screen, 0, 3), (Bgr{255, 255, 255}));
            EXPECT_EQ(PixelAt(screen, 1, 3), (Bgr{0, 0, 0}));
        } else {
            const int expected = (255 * 127) / 256;  // c = 510 / 4 = 127 over black
            EXPECT_EQ(PixelAt(screen, 0, 3), (Bgr{expected, expected, expected}));
            EXPECT_EQ(PixelAt(screen, 1, 3), (Bgr{expected, expected, expected}));
        }
    }
}

TEST(TextLayerDraw, ShadowDarkensBelowRightBeforeTheInk) {
    FakeGlyphs half([](char32_t, int32_t, int32_t, int32_t) -> uint8_t { return 128; });
    FakeGlyphs full(Solid);
    const uint32_t kRed = 0x0000FF;

    for (bool shadow : {true, false}) {
        ScreenBuffer screen;
        FillScreen(screen, 200);
        gfx::MessageFont font(full);
        TextLayer layer;
        layer.shown = true;
        layer.cells.push_back(Cell('A', 4, 10, 10, kRed));
        layer.Draw(screen, font, 0, shadow);
        EXPECT_EQ(PixelAt(screen, 10, 10), (Bgr{0, 0, 255}));
        EXPECT_EQ(PixelAt(screen, 13, 13), (Bgr{0, 0, 255}));
        EXPECT_EQ(PixelAt(screen, 14, 14), shadow ? (Bgr{0, 0, 0}) : (Bgr{200, 200, 200}));
        EXPECT_EQ(PixelAt(screen, 14, 10), (Bgr{200, 200, 200}));
        EXPECT_EQ(PixelAt(screen, 10, 14), (Bgr{200, 200, 200}));
    }

    // Partial coverage scales the channels; where shadow and ink meet, the
    // ink blends over the already darkened pixel.
    ScreenBuffer screen;
    FillScreen(screen, 200);
    gfx::MessageFont font(half);
    TextLayer layer;
    layer.shown = true;
    layer.cells.push_back(Cell('A', 4, 10, 10, kRed));
    layer.Draw(screen, font, 0, true);
    EXPECT_EQ(PixelAt(screen, 14, 14), (Bgr{100, 100, 100}));
    EXPECT_EQ(PixelAt(screen, 10, 10), (Bgr{100, 100, 100 + 127}));
    EXPECT_EQ(PixelAt(screen, 11, 11), (Bgr{50, 50, 50 + 127}));
}

TEST(TextLayerDraw, BacklogPageIsDrawnGreyInsteadOfTheLayer) {
    FakeGlyphs glyphs(Solid);
    gfx::MessageFont font(glyphs);
    ScreenBuffer screen;
    std::vector<GlyphCell> page = {Cell('B', 6, 40, 40, 0x0000FF, 2)};
    TextLayer layer;
    layer.shown = true;
    layer.cells.push_back(Cell('A', 6, 100, 100, 0x00FF00));
    layer.backlogShown = true;
    layer.backlogPage = &page;
    layer.Draw(screen, font, 0, false);

    EXPECT_EQ(PixelAt(screen, 42, 42), (Bgr{0xCC, 0xCC, 0xCC}));
    EXPECT_EQ(page[0].state, 0);
    EXPECT_EQ(PixelAt(screen, 102, 102), (Bgr{0, 0, 0}));
    EXPECT_EQ(layer.cells[0].state, 1);

    // Neither shown: nothing is drawn and nothing changes state.
    layer.shown = false;
    layer.backlogShown = false;
    glyphs.calls.clear();
    layer.Draw(screen, font, 0, false);
    EXPECT_TRUE(glyphs.calls.empty());
    EXPECT_EQ(layer.cells[0].state, 1);
}

TEST(TextLayerDraw, OnlyCellsWithANonzeroStateAreRasterised) {
    FakeGlyphs glyphs(Solid);
    gfx::MessageFont font(glyphs);
    ScreenBuffer screen;
    TextLayer layer;
    layer.shown = true;
    layer.cells = {Cell('A', 4, 0, 0, 0xFFFFFF, 0), Cell('B', 4, 10, 0, 0xFFFFFF, 1),
                   Cell(0xA082, 4, 20, 0, 0xFFFFFF, 2)};
    layer.Draw(screen, font, 0, false);
    ASSERT_EQ(glyphs.calls.size(), 2u);
    EXPECT_EQ(glyphs.calls[0].codePoint, U'B');
    EXPECT_EQ(glyphs.calls[1].codePoint, U'\u3042');
    EXPECT_EQ(PixelAt(screen, 0, 0), (Bgr{0, 0, 0}));
    for (const GlyphCell& cell : layer.cells) EXPECT_EQ(cell.state, 0);
}

// A font that cannot be made draws nothing and leaves the cell marked; the
// next cell with a usable size gets a font again.
TEST(TextLayerDraw, UnusableFontSizeLeavesTheCellForLater) {
    FakeGlyphs glyphs(Solid);
    gfx::MessageFont font(glyphs);
    ASSERT_EQ(font.Select(20, 2), 1);
    ScreenBuffer screen;
    TextLayer layer;
    layer.shown = true;
    layer.cells = {Cell('A', platform::kMaxGlyphHeight, 0, 0, 0xFFFFFF),
                   Cell('B', 4, 50, 50, 0xFFFFFF)};
    layer.Draw(screen, font, 1, false);  // 2 x 1024 is past any font
    EXPECT_EQ(layer.cells[0].state, 1);
    EXPECT_EQ(layer.cells[1].state, 0);
    EXPECT_EQ(PixelAt(screen, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(screen, 50, 50), (Bgr{255, 255, 255}));
    ASSERT_EQ(glyphs.calls.size(), 1u);
    EXPECT_EQ(glyphs.calls[0].height, 8);
    EXPECT_EQ(glyphs.calls[0].weight, 400);  // the remembered weight index 2

    EXPECT_EQ(font.Select(0, 9), 0);
    EXPECT_FALSE(font.Exists());
    EXPECT_EQ(font.WeightIndex(), 4);  // out-of-range index clamped, still remembered
}

// Cells at the screen's edges: what falls outside is dropped, and nothing
// wraps round into the neighbouring stored row.
TEST(TextLayerDraw, GlyphsAreClippedToTheScreen) {
    FakeGlyphs glyphs(Solid);
    gfx::MessageFont font(glyphs);
    ScreenBuffer screen;
    TextLayer layer;
    layer.shown = true;
    layer.cells = {Cell('A', 8, 100, 236, 0xFFFFFF), Cell('B', 8, 316, 100, 0xFFFFFF),
                   Cell('C', 8, -4, -4, 0xFFFFFF)};
    layer.Draw(screen, font, 0, true);
    EXPECT_EQ(PixelAt(screen, 100, 239), (Bgr{255, 255, 255}));
    EXPECT_EQ(PixelAt(screen, 319, 100), (Bgr{255, 255, 255}));
    EXPECT_EQ(PixelAt(screen, 0, 0), (Bgr{255, 255, 255}));
    for (int32_t x = 98; x <= 110; ++x) {
        for (int32_t y = 0; y < 6; ++y) EXPECT_EQ(PixelAt(screen, x, y), (Bgr{0, 0, 0}));
    }
    for (int32_t x = 1; x <= 8; ++x) {
        for (int32_t y = 234; y < 240; ++y) EXPECT_EQ(PixelAt(screen, x, y), (Bgr{0, 0, 0}));
    }
}

TEST(TextLayerMarkDirty, MarksShownCellsUnderFlaggedRectangles) {
    gfx::DirtyRectList dirty;
    dirty.Add(gfx::Rect{0, 0, 50, 50}, true);
    dirty.Add(gfx::Rect{100, 100, 150, 150}, false);  // copy-only: not redrawn

    TextLayer layer;
    layer.cells = {Cell('A', 10, 10, 10, 0, 0), Cell('B', 10, 45, 45, 0, 2),
                   Cell('C', 10, 50, 0, 0, 0), Cell('D', 10, 120, 120, 0, 0)};
    layer.MarkDirty(dirty);
    EXPECT_EQ(layer.cells[0].state, 0);  // hidden layer: untouched

    layer.shown = true;
    layer.MarkDirty(dirty);
    EXPECT_EQ(layer.cells[0].state, 1);
    EXPECT_EQ(layer.cells[1].state, 2);  // the message window's own state stays
    EXPECT_EQ(layer.cells[2].state, 0);  // only touches the rectangle's edge
    EXPECT_EQ(layer.cells[3].state, 0);

    // With the backlog shown, its page is what gets marked.
    std::vector<GlyphCell> page = {Cell('E', 10, 0, 0, 0, 0)};
    layer.cells[0].state = 0;
    layer.backlogShown = true;
    layer.backlogPage = &page;
    layer.MarkDirty(dirty);
    EXPECT_EQ(page[0].state, 1);
    EXPECT_EQ(layer.cells[0].state, 0);
}

gfx::Image BlankImage(int32_t width, int32_t height, uint8_t fill) {
    gfx::Image image;
    image.storedWidth = height;
    image.storedHeight = width;
    image.pixels.assign(static_cast<size_t>(width) * height * 4, fill);
    return image;
}

std::array<uint8_t, 4> ImagePixel(const gfx::Image& image, int32_t x, int32_t y) {
    const uint8_t* p = image.pixels.data() + image.OffsetOf(x, y);
    return {p[0], p[1], p[2], p[3]};
}

// Size 40 gives f = 16: one-byte characters take 8 x 16 boxes, two-byte
// ones 16 x 16, rasterised at twice the height and reduced 2 x 2.
TEST(ImageDrawText, BoxesFollowTheCharacterWidths) {
    FakeGlyphs glyphs([](char32_t codePoint, int32_t x, int32_t, int32_t) -> uint8_t {
        if (codePoint == U'B') return x % 2 == 0 ? 255 : 0;  // half coverage
        return 255;
    });
    gfx::Image image = BlankImage(64, 32, 0x11);
    image.DrawText("AB", 40, 0, 0, 0x3020F0, glyphs);
    ASSERT_EQ(glyphs.calls.size(), 2u);
    EXPECT_EQ(glyphs.calls[0].height, 32);
    EXPECT_EQ(glyphs.calls[0].weight, 900);
    const std::array<uint8_t, 4> solid = {0x30, 0x20, 0xF0, 255};
    const std::array<uint8_t, 4> half = {0x30, 0x20, 0xF0, 127};
    const std::array<uint8_t, 4> untouched = {0x11, 0x11, 0x11, 0x11};
    EXPECT_EQ(ImagePixel(image, 0, 0), solid);
    EXPECT_EQ(ImagePixel(image, 7, 15), solid);
    EXPECT_EQ(ImagePixel(image, 8, 0), half);
    EXPECT_EQ(ImagePixel(image, 15, 15), half);
    EXPECT_EQ(ImagePixel(image, 16, 0), untouched);
    EXPECT_EQ(ImagePixel(image, 0, 16), untouched);

    // A two-byte character at design (50, 25): box at (20, 10), 16 x 16.
    gfx::Image wide = BlankImage(64, 32, 0x11);
    wide.DrawText("\x82\xA0", 40, 50, 25, 0x3020F0, glyphs);
    EXPECT_EQ(glyphs.calls.back().codePoint, U'\u3042');
    EXPECT_EQ(ImagePixel(wide, 20, 10), solid);
    EXPECT_EQ(ImagePixel(wide, 35, 25), solid);
    EXPECT_EQ(ImagePixel(wide, 36, 10), untouched);
    EXPECT_EQ(ImagePixel(wide, 19, 10), untouched);
    EXPECT_EQ(ImagePixel(wide, 20, 26), untouched);
}

TEST(ImageDrawText, InklessBoxesBecomeTransparentAndClipToTheImage) {
    FakeGlyphs glyphs(Solid);
    gfx::Image image = BlankImage(20, 10, 0x11);
    image.DrawText(" A", 40, 0, 0, 0xFFFFFF, glyphs);
    EXPECT_EQ(ImagePixel(image, 0, 0), (std::array<uint8_t, 4>{0xFF, 0xFF, 0xFF, 0}));
    EXPECT_EQ(ImagePixel(image, 8, 9), (std::array<uint8_t, 4>{0xFF, 0xFF, 0xFF, 255}));
    EXPECT_EQ(ImagePixel(image, 16, 0), (std::array<uint8_t, 4>{0x11, 0x11, 0x11, 0x11}));

    // Boxes 16 high in a 10-high picture, and one hanging off the right:
    // rows past the bottom must not land in the next stored row.
    gfx::Image small = BlankImage(20, 10, 0x11);
    small.DrawText("\x82\xA0", 40, 25, 0, 0xFFFFFF, glyphs);  // box x 10..25
    for (int32_t x = 0; x < 10; ++x) {
        for (int32_t y = 0; y < 10; ++y)
            EXPECT_EQ(ImagePixel(small, x, y)[3], 0x11) << x << "," << y;
    }
    EXPECT_EQ(ImagePixel(small, 19, 9)[3], 255);
}

TEST(DrawTextDirect, SetsInkedPixelsWithoutBlending) {
    // Ink only at sample (1, 2) of each square, faint: still the full colour.
    FakeGlyphs glyphs([](char32_t, int32_t x, int32_t y, int32_t) -> uint8_t {
        return x == 1 && y == 2 ? 3 : 0;
    });
    ScreenBuffer screen;
    FillScreen(screen, 0x55);
    gfx::DrawTextDirect(screen.Bits(), nullptr, 0, 0,
                        "a\x82\xA0"
                        "b",
                        10, 20, 0x00FF80, 12, glyphs);
    ASSERT_EQ(glyphs.calls.size(), 3u);
    EXPECT_EQ(glyphs.calls[0].height, 12);
    EXPECT_EQ(glyphs.calls[0].weight, 400);
    const Bgr colour{0x00, 0xFF, 0x80};
    EXPECT_EQ(PixelAt(screen, 11, 22), colour);       // 'a'
    EXPECT_EQ(PixelAt(screen, 11 + 6, 22), colour);   // two-byte after a half advance
    EXPECT_EQ(PixelAt(screen, 11 + 18, 22), colour);  // 'b' after a full advance
    EXPECT_EQ(PixelAt(screen, 10, 22), (Bgr{0x55, 0x55, 0x55}));
    EXPECT_EQ(PixelAt(screen, 11, 21), (Bgr{0x55, 0x55, 0x55}));

    // A size of 0 keeps the current one.
    gfx::DrawTextDirect(screen.Bits(), nullptr, 0, 0, "a", 100, 100, 0x00FF80, 0, glyphs);
    EXPECT_EQ(glyphs.calls.back().height, 12);
}

TEST(DrawTextDirect, LargeGlyphsAreCutToTheBoxAndDeviceGetsRgb565) {
    FakeGlyphs glyphs(Solid);
    constexpr int32_t kPitchX = 2;
    constexpr int32_t kPitchY = 480;
    std::vector<uint8_t> device(static_cast<size_t>(kPitchY) * 320, 0);
    gfx::DrawTextDirect(nullptr, device.data(), kPitchX, kPitchY, "\x82\xA0", 50, 40, 0x00FF80, 60,
                        glyphs);
    auto devicePixel = [&](int32_t x, int32_t y) {
        uint16_t value = 0;
        std::memcpy(&value,
                    device.data() + static_cast<ptrdiff_t>(319 - x) * kPitchY +
                        static_cast<ptrdiff_t>(y) * kPitchX,
                    2);
        return value;
    };
    const uint16_t rgb565 = ((0x80 >> 3) << 11) | ((0xFF >> 2) << 5);
    EXPECT_EQ(devicePixel(50, 40), rgb565);
    EXPECT_EQ(devicePixel(50 + 47, 40 + 47), rgb565);
    EXPECT_EQ(devicePixel(50 + 48, 40), 0);
    EXPECT_EQ(devicePixel(50, 40 + 48), 0);

    // Off the right edge: clipped, not wrapped into the next row.
    std::vector<uint8_t> clipped(static_cast<size_t>(kPitchY) * 320, 0);
    gfx::DrawTextDirect(nullptr, clipped.data(), kPitchX, kPitchY, "A", 300, 230, 0xFFFFFF, 30,
                        glyphs);
    size_t inked = std::count_if(clipped.begin(), clipped.end(), [](uint8_t v) { return v != 0; });
    EXPECT_EQ(inked, static_cast<size_t>(20 * 10 * 2));
}

}  // namespace
