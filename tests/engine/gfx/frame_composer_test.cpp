#include "engine/gfx/frame_composer.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "engine/gfx/pixel_ops.h"
#include "engine/gfx/text_layer.h"
#include "platform/glyph_rasterizer.h"

namespace {

using gfx::DirtyRectList;
using gfx::DrawObject;
using gfx::FrameComposer;
using gfx::Image;
using gfx::ImageTable;
using gfx::Rect;
using gfx::ScreenBuffer;

using Bgr = std::array<uint8_t, 3>;

// A picture whose pixel (x, y) is colour(x, y) with alpha 255.
template <typename F>
std::unique_ptr<Image> MakeImage(int32_t width, int32_t height, F colour) {
    auto image = std::make_unique<Image>();
    image->storedWidth = height;
    image->storedHeight = width;
    image->pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            const Bgr c = colour(x, y);
            uint8_t* p = image->pixels.data() + image->OffsetOf(x, y);
            p[0] = c[0];
            p[1] = c[1];
            p[2] = c[2];
            p[3] = 255;
        }
    }
    return image;
}

std::unique_ptr<Image> MakeSolid(int32_t width, int32_t height, Bgr colour) {
    return MakeImage(width, height, [colour](int32_t, int32_t) { return colour; });
}

DrawObject Picture(int16_t slot, int32_t priority, int16_t width, int16_t height, int16_t x = 0,
                   int16_t y = 0) {
    DrawObject o;
    o.imageSlot = slot;
    o.priority = priority;
    o.sourceRight = width;
    o.sourceBottom = height;
    o.x = x;
    o.y = y;
    return o;
}

Bgr Pixel(const ScreenBuffer& screen, int32_t x, int32_t y) {
    const uint8_t* p = screen.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
    return Bgr{p[0], p[1], p[2]};
}

void FillScreen(ScreenBuffer& screen, uint8_t value) {
    std::fill(screen.Bits(), screen.Bits() + gfx::kScreenRowBytes * gfx::kStoredRows, value);
}

// A device frame buffer in memory with the default pitches (2, 480).
struct MemoryDevice : gfx::PresentTarget {
    std::vector<uint8_t> bits = std::vector<uint8_t>(240 * 320 * 2, 0xAA);
    int begins = 0;
    int ends = 0;
    uint8_t* BeginDraw() override {
        ++begins;
        return bits.data();
    }
    void EndDraw() override { ++ends; }
    uint16_t At(int32_t x, int32_t y) const {
        const size_t offset = static_cast<size_t>(319 - x) * 480 + y * 2;
        return static_cast<uint16_t>(bits[offset] | bits[offset + 1] << 8);
    }
};

uint16_t Rgb565(const Bgr& c) {
    return static_cast<uint16_t>(((c[2] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[0] >> 3));
}

class FrameComposerTest : public ::testing::Test {
protected:
    void Compose() {
        composer_.ComposeFrame(screen_, dirty_, images_, nullptr, nullptr, gfx::TextDrawSettings{});
    }
    FrameComposer composer_;
    ScreenBuffer screen_;
    DirtyRectList dirty_;
    ImageTable images_;
};

// Levels are walked 127 first; within a level the object inserted last comes
// first, so the engine's lower slot numbers (inserted first) end up on top.
// A child chain stands in for its object.
TEST_F(FrameComposerTest, DrawOrderFollowsLevelsAndInsertion) {
    DrawObject a = Picture(0, 5, 1, 1), b = Picture(0, 5, 1, 1), c = Picture(0, 6, 1, 1);
    DrawObject d = Picture(0, 4, 1, 1), parent = Picture(0, 4, 1, 1);
    parent.children.push_back(std::make_unique<DrawObject>(Picture(0, 4, 1, 1)));
    for (DrawObject* o : {&a, &b, &c, &d, &parent}) composer_.Insert(o);
    std::vector<const DrawObject*> order;
    composer_.ForEachInDrawOrder([&order](const DrawObject& o) { order.push_back(&o); });
    EXPECT_EQ(order, (std::vector<const DrawObject*>{&c, &b, &a, parent.children[0].get(), &d}));

    composer_.ResetLevels();
    int visited = 0;
    composer_.ForEachInDrawOrder([&visited](const DrawObject&) { ++visited; });
    EXPECT_EQ(visited, 0);
}

TEST_F(FrameComposerTest, FrontObjectsCoverBackOnes) {
    images_[1] = MakeSolid(40, 40, {0, 0, 255});  // red
    images_[2] = MakeSolid(40, 40, {0, 255, 0});  // green
    images_[3] = MakeSolid(40, 40, {255, 0, 0});  // blue
    DrawObject first = Picture(1, 10, 40, 40), second = Picture(2, 10, 40, 40);
    DrawObject front = Picture(3, 9, 20, 20, 20, 20), back = Picture(3, 11, 40, 40);
    for (DrawObject* o : {&front, &first, &second, &back}) composer_.Insert(o);
    dirty_.Add({0, 0, 320, 240}, true);
    Compose();
    EXPECT_EQ(Pixel(screen_, 5, 5), (Bgr{0, 0, 255}));    // first inserted wins its level
    EXPECT_EQ(Pixel(screen_, 25, 25), (Bgr{255, 0, 0}));  // level 9 over level 10
    EXPECT_EQ(Pixel(screen_, 100, 100), (Bgr{0, 0, 0}));  // cleared to black
}

// Only the dirty rectangles are redrawn; a picture placed partly off screen
// and cut by a rectangle shows exactly the right source pixels; source areas
// beyond the picture are not read.
TEST_F(FrameComposerTest, DrawsOnlyInsideDirtyRectanglesWithTheRightSourcePixels) {
    images_[4] = MakeImage(200, 150, [](int32_t x, int32_t y) {
        return Bgr{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7};
    });
    DrawObject o = Picture(4, 20, 0, 0, -10, 40);
    o.sourceLeft = 30;
    o.sourceTop = 20;
    o.sourceRight = 180;
    o.sourceBottom = 170;  // 20 rows past the picture's bottom
    composer_.Insert(&o);
    FillScreen(screen_, 0x55);
    dirty_.Add({0, 50, 100, 200}, true);
    dirty_.Add({150, 0, 320, 30}, true);
    Compose();
    for (int32_t x = 0; x < 320; ++x) {
        for (int32_t y = 0; y < 240; ++y) {
            const bool inDirty = (x < 100 && y >= 50 && y < 200) || (x >= 150 && y < 30);
            const bool inPicture = x < 140 && y >= 40 && y < 170;  // rows 150+ have no source
            Bgr expected{0x55, 0x55, 0x55};
            if (inDirty) expected = Bgr{0, 0, 0};
            if (inDirty && inPicture)
                expected = Bgr{static_cast<uint8_t>(x + 40), static_cast<uint8_t>(y - 20), 7};
            ASSERT_EQ(Pixel(screen_, x, y), expected) << x << "," << y;
        }
    }
}

// A brightness setting scales every later picture without flag 2; a picture's
// own 512 under 128 comes out unchanged; what comes before it is untouched in
// every dirty rectangle, and the value stays for the next frame.
TEST_F(FrameComposerTest, BrightnessSettingAppliesToLaterObjects) {
    images_[1] = MakeSolid(10, 10, {200, 100, 255});
    DrawObject before = Picture(1, 60, 10, 10, 40, 0);
    DrawObject setting;
    setting.kind = gfx::kDrawBrightness;
    setting.brightness = 128;
    setting.priority = 50;
    DrawObject plain = Picture(1, 40, 10, 10, 10, 0);
    DrawObject own512 = Picture(1, 40, 10, 10, 20, 0);
    own512.brightness = 512;
    DrawObject ignoring = Picture(1, 40, 10, 10, 30, 0);
    ignoring.flags = gfx::kDrawIgnoreBrightness;
    for (DrawObject* o : {&before, &setting, &plain, &own512, &ignoring}) composer_.Insert(o);
    dirty_.Add({0, 0, 20, 10}, true);
    dirty_.Add({25, 0, 45, 10}, true);
    Compose();
    EXPECT_EQ(Pixel(screen_, 42, 5), (Bgr{200, 100, 255}));
    EXPECT_EQ(Pixel(screen_, 15, 5), (Bgr{100, 50, 127}));
    EXPECT_EQ(Pixel(screen_, 25, 5), (Bgr{200, 100, 255}));
    EXPECT_EQ(Pixel(screen_, 35, 5), (Bgr{200, 100, 255}));
    EXPECT_EQ(composer_.globalBrightness, 128);
}

// Opacity 0 hides a picture, unless it cross-fades: ratio 0 shows the second
// picture alone.
TEST_F(FrameComposerTest, OpacityZeroCrossFadeShowsTheSecondPicture) {
    images_[1] = MakeSolid(10, 10, {0, 0, 255});
    images_[2] = MakeSolid(10, 10, {255, 0, 0});
    DrawObject fading = Picture(1, 10, 10, 10, 0, 0);
    fading.opacity = 0;
    fading.secondImageSlot = 2;
    DrawObject hidden = Picture(1, 10, 10, 10, 20, 0);
    hidden.opacity = 0;
    composer_.Insert(&fading);
    composer_.Insert(&hidden);
    dirty_.Add({0, 0, 40, 10}, true);
    Compose();
    const Bgr shown = Pixel(screen_, 5, 5);
    EXPECT_GE(shown[0], 0xF8);
    EXPECT_EQ(shown[2], 0);
    EXPECT_EQ(Pixel(screen_, 25, 5), (Bgr{0, 0, 0}));
}

TEST_F(FrameComposerTest, ColourRectanglesAndClearing) {
    auto colourRect = [](int16_t x, int32_t priority, int16_t mode) {
        DrawObject o = Picture(-1, priority, 30, 30, x, 0);
        o.kind = gfx::kDrawColourRect;
        o.colour = 0x00102030;
        o.mode = mode;
        return o;
    };
    DrawObject fill = colourRect(0, 3, gfx::kModeBlend);
    DrawObject glow = colourRect(30, 2, gfx::kModeAdditive);
    glow.flags = gfx::kDrawIgnoreBrightness;
    composer_.Insert(&fill);
    composer_.Insert(&glow);
    composer_.globalBrightness = 128;
    composer_.clearToGrey = true;
    FillScreen(screen_, 0x33);
    dirty_.Add({0, 0, 40, 20}, true);
    Compose();
    EXPECT_EQ(Pixel(screen_, 10, 10), (Bgr{0x18, 0x10, 0x08}));  // at the global 128
    EXPECT_EQ(Pixel(screen_, 35, 10), (Bgr{127 + 0x30, 127 + 0x20, 127 + 0x10}));  // on grey
    EXPECT_EQ(Pixel(screen_, 45, 10), (Bgr{0x33, 0x33, 0x33}));  // outside the dirty rectangle
    EXPECT_EQ(Pixel(screen_, 10, 25), (Bgr{0x33, 0x33, 0x33}));

    composer_.clearFlag = false;
    composer_.ResetLevels();
    FillScreen(screen_, 0x33);
    Compose();
    EXPECT_EQ(Pixel(screen_, 35, 10), (Bgr{0x33, 0x33, 0x33}));  // no clearing
}

// Copy-only rectangles reach the device but are not redrawn; nothing outside
// the list is presented; an empty list does not even begin drawing.
TEST_F(FrameComposerTest, PresentCopiesEveryListedRectangleOnly) {
    MemoryDevice device;
    composer_.PresentFrame(screen_, dirty_, 0, 0, device);
    EXPECT_EQ(device.begins, 0);

    images_[1] = MakeSolid(320, 240, {0, 255, 0});
    DrawObject back = Picture(1, 100, 320, 240);
    composer_.Insert(&back);
    FillScreen(screen_, 0xFF);
    dirty_.Add({100, 100, 110, 110}, true);
    dirty_.Add({10, 10, 22, 22}, false);
    Compose();
    composer_.PresentFrame(screen_, dirty_, 0, 0, device);
    EXPECT_EQ(device.begins, 1);
    EXPECT_EQ(device.ends, 1);
    EXPECT_EQ(device.At(105, 105), Rgb565({0, 255, 0}));
    EXPECT_EQ(device.At(15, 15), Rgb565({255, 255, 255}));
    EXPECT_EQ(device.At(50, 50), 0xAAAA);
}

// A shake shows the whole picture moved by the offset in one present; the
// uncovered strip keeps what the device showed.
TEST_F(FrameComposerTest, ShakeMovesTheWholePicture) {
    for (int32_t x = 0; x < 320; ++x) {
        for (int32_t y = 0; y < 240; ++y) {
            uint8_t* p = screen_.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
            p[0] = static_cast<uint8_t>(y);
            p[1] = static_cast<uint8_t>(x);
            p[2] = static_cast<uint8_t>(x >> 8 << 3);
        }
    }
    const std::array<std::array<int32_t, 2>, 3> offsets{{{5, -3}, {-4, 6}, {0, 2}}};
    for (const auto& [dx, dy] : offsets) {
        MemoryDevice device;
        composer_.PresentFrame(screen_, dirty_, dx, dy, device);
        EXPECT_EQ(device.begins, 1);
        EXPECT_EQ(device.ends, 1);
        for (int32_t x = 0; x < 320; ++x) {
            for (int32_t y = 0; y < 240; ++y) {
                const int32_t sx = x - dx, sy = y - dy;
                const uint16_t expected = sx >= 0 && sx < 320 && sy >= 0 && sy < 240
                                              ? Rgb565(Pixel(screen_, sx, sy))
                                              : 0xAAAA;
                ASSERT_EQ(device.At(x, y), expected) << dx << "," << dy << " at " << x << "," << y;
            }
        }
    }
}

// The reported rectangle covers every pixel the transformed drawing touches.
TEST_F(FrameComposerTest, ScreenRectCoversTransformedDrawing) {
    images_[1] = MakeSolid(60, 30, {255, 255, 255});
    DrawObject plain = Picture(1, 0, 60, 30, 7, 9);
    EXPECT_EQ(plain.ScreenRect(), (Rect{7, 9, 67, 39}));
    DrawObject setting;
    setting.kind = gfx::kDrawBrightness;
    EXPECT_TRUE(setting.ScreenRect().IsEmpty());

    struct Case {
        int16_t scaleX, scaleY, angle, pivotX, pivotY;
    };
    for (const Case& c :
         {Case{2000, 1500, 0, 30, 15}, Case{500, 700, 0, 0, 0}, Case{1000, 1000, 30, 30, 15},
          Case{1300, 900, 135, 0, 40}, Case{800, 800, 270, 10, 5}, Case{1000, 1000, -45, 60, 30}}) {
        DrawObject o = Picture(1, 0, 60, 30, 120, 100);
        o.scaleX = c.scaleX;
        o.scaleY = c.scaleY;
        o.angle = c.angle;
        o.pivotX = c.pivotX;
        o.pivotY = c.pivotY;
        const Rect box = o.ScreenRect();
        composer_.ResetLevels();
        composer_.Insert(&o);
        FillScreen(screen_, 0);
        dirty_.Clear();
        dirty_.Add({0, 0, 320, 240}, true);
        Compose();
        int touched = 0;
        for (int32_t x = 0; x < 320; ++x) {
            for (int32_t y = 0; y < 240; ++y) {
                if (Pixel(screen_, x, y)[0] == 0) continue;
                ++touched;
                ASSERT_TRUE(x >= box.left && x < box.right && y >= box.top && y < box.bottom)
                    << "angle " << c.angle << " scale " << c.scaleX << " at " << x << "," << y;
            }
        }
        EXPECT_GT(touched, 0);
        if (c.angle == 0) {
            EXPECT_EQ(touched, (box.Width() - 2) * (box.Height() - 2));  // one pixel of margin
        }
    }
}

// A changed object adds where it was and where it is now; a removed one adds
// where it was.
TEST_F(FrameComposerTest, ChangedAndRemovedObjectsMarkTheirRectangles) {
    DrawObject o = Picture(1, 0, 10, 10, 0, 0);
    o.previousRect = o.currentRect = Rect{0, 0, 10, 10};
    o.x = 100;
    o.changed = true;
    composer_.AddChangedRects(o, dirty_);
    EXPECT_FALSE(o.changed);
    EXPECT_EQ(o.currentRect, (Rect{100, 0, 110, 10}));
    ASSERT_EQ(dirty_.Count(), 2);
    Rect first, second;
    dirty_.Get(0, &first);
    dirty_.Get(1, &second);
    EXPECT_EQ(first, (Rect{0, 0, 10, 10}));
    EXPECT_EQ(second, (Rect{100, 0, 110, 10}));

    dirty_.Clear();
    o.remove = true;
    composer_.AddChangedRects(o, dirty_);
    ASSERT_EQ(dirty_.Count(), 1);
    dirty_.Get(0, &first);
    EXPECT_EQ(first, (Rect{100, 0, 110, 10}));
}

// After the pictures, the text layer redraws the cells that a redrawn
// rectangle cleared, and only those.
TEST_F(FrameComposerTest, TextLayerRedrawsCellsUnderRedrawnRectangles) {
    std::string error;
    std::unique_ptr<platform::GlyphRasterizer> glyphs = platform::GlyphRasterizer::Create(&error);
    if (glyphs == nullptr) GTEST_SKIP() << error;
    gfx::MessageFont font(*glyphs);
    gfx::TextLayer text;
    text.shown = true;
    for (int32_t left : {10, 100, 200}) {
        gfx::GlyphCell cell;
        cell.state = 0;
        cell.character = 'W';
        cell.size = 12;
        cell.colour = 0xFFFFFF;
        cell.left = left;
        cell.top = 10;
        cell.right = left + 12;
        cell.bottom = 22;
        text.cells.push_back(cell);
    }
    FillScreen(screen_, 0x40);
    dirty_.Add({0, 0, 50, 50}, true);
    dirty_.Add({195, 0, 220, 30}, false);
    composer_.ComposeFrame(screen_, dirty_, images_, &text, &font, gfx::TextDrawSettings{0, false});
    auto inked = [this](int32_t left) {
        int count = 0;
        for (int32_t x = left; x < left + 12; ++x) {
            for (int32_t y = 10; y < 22; ++y) count += Pixel(screen_, x, y)[0] == 0xFF;
        }
        return count;
    };
    EXPECT_GT(inked(10), 0);
    EXPECT_EQ(inked(100), 0);
    EXPECT_EQ(inked(200), 0);
    EXPECT_EQ(text.cells[0].state, 0);
}

}  // namespace
