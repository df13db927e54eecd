#include "engine/gfx/pixel_ops.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "engine/gfx/screen_buffer.h"

namespace {

using Pixel = std::array<uint8_t, 4>;   // blue, green, red, alpha
using Colour = std::array<uint8_t, 3>;  // blue, green, red

// A landscape picture of width x height pixels, all `fill`.
gfx::Image MakeImage(int32_t width, int32_t height, Pixel fill) {
    gfx::Image image;
    image.storedWidth = height;
    image.storedHeight = width;
    image.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < image.pixels.size(); i += 4)
        std::copy_n(fill.begin(), 4, &image.pixels[i]);
    return image;
}

void SetPixel(gfx::Image& image, int32_t x, int32_t y, Pixel p) {
    std::copy_n(p.begin(), 4, &image.pixels[image.OffsetOf(x, y)]);
}

// A small 3-byte destination with guard rows above and below, so that a write
// outside it shows up.
struct TestTarget {
    TestTarget(int32_t columns, int32_t rows, Colour fill)
        : columns(columns), rows(rows), bytes(static_cast<size_t>(columns) * (rows + 2) * 3) {
        for (size_t i = 0; i < bytes.size(); i += 3) std::copy_n(fill.begin(), 3, &bytes[i]);
        guard = bytes;
    }
    gfx::Destination Dest() { return {bytes.data() + columns * 3, columns, rows}; }
    Colour At(int32_t column, int32_t row) const {
        size_t o = (static_cast<size_t>(row + 1) * columns + column) * 3;
        return {bytes[o], bytes[o + 1], bytes[o + 2]};
    }
    bool GuardsIntact() const {
        size_t rowBytes = static_cast<size_t>(columns) * 3;
        return std::equal(bytes.begin(), bytes.begin() + rowBytes, guard.begin()) &&
               std::equal(bytes.end() - rowBytes, bytes.end(), guard.end() - rowBytes);
    }
    int32_t columns, rows;
    std::vector<uint8_t> bytes, guard;
};

// One source pixel over one destination pixel.
Colour BlendOne(Pixel source, Colour destination, int opacity, int brightness,
                bool additive = false) {
    gfx::Image image = MakeImage(1, 1, source);
    TestTarget target(1, 1, destination);
    if (additive)
        gfx::DrawImageAdditive(image, target.Dest(), 0, 0, {0, 0, 1, 1}, opacity, brightness);
    else
        gfx::DrawImage(image, target.Dest(), 0, 0, {0, 0, 1, 1}, opacity, brightness);
    return target.At(0, 0);
}

TEST(StandardBlendTest, AlphaRulesOfThePlainAndOpacityKernels) {
    const Colour dst{10, 20, 30};
    EXPECT_EQ(BlendOne({201, 102, 53, 0}, dst, 256, 256), dst);
    EXPECT_EQ(BlendOne({201, 102, 53, 255}, dst, 256, 256), (Colour{201, 102, 53}));
    // ((dst x 128) >> 8) + src x 128 / 256
    EXPECT_EQ(BlendOne({201, 102, 53, 128}, dst, 256, 256), (Colour{105, 61, 41}));
    // Opacity 255 on an opaque pixel: blended, then the low bits are cleared.
    EXPECT_EQ(BlendOne({201, 102, 53, 255}, dst, 255, 256), (Colour{200, 100, 48}));
    EXPECT_EQ(BlendOne({255, 255, 255, 255}, {255, 255, 255}, 255, 256), (Colour{248, 252, 248}));
    // A half-transparent pixel at opacity 128: a' = 128 x 128 >> 8 = 64.
    EXPECT_EQ(BlendOne({200, 200, 200, 128}, {0, 0, 0}, 128, 256), (Colour{48, 48, 48}));
    // Transparent pixels leave the destination alone under any opacity.
    EXPECT_EQ(BlendOne({201, 102, 53, 0}, {13, 13, 13}, 100, 300), (Colour{13, 13, 13}));
}

TEST(StandardBlendTest, BrightnessRuleAndCombinedKernel) {
    EXPECT_EQ(gfx::ApplyBrightness(384, 0), 127);
    EXPECT_EQ(gfx::ApplyBrightness(384, 255), 254);
    EXPECT_EQ(BlendOne({0, 128, 255, 255}, {9, 9, 9}, 256, 0), (Colour{0, 0, 0}));
    EXPECT_EQ(BlendOne({0, 128, 255, 255}, {9, 9, 9}, 256, 512), (Colour{255, 255, 255}));
    EXPECT_EQ(BlendOne({0, 128, 255, 255}, {9, 9, 9}, 256, 384), (Colour{127, 191, 254}));
    // The brightness kernel brightens the source before the reference blend.
    EXPECT_EQ(BlendOne({200, 200, 200, 128}, {10, 10, 10}, 256, 128), (Colour{55, 55, 55}));
    // Both: (128 x 200 >> 8) - ((-128 x 100 + 255) >> 8) = 150, then halved.
    EXPECT_EQ(BlendOne({200, 200, 200, 255}, {100, 100, 100}, 128, 128), (Colour{75, 75, 75}));
    // Out-of-range values are held to 0..256 and 0..512.
    EXPECT_EQ(BlendOne({0, 128, 255, 255}, {9, 9, 9}, 256, 900), (Colour{255, 255, 255}));
}

TEST(AdditiveBlendTest, SaturatesAndScales) {
    for (Colour dst : {Colour{0, 0, 0}, Colour{17, 128, 250}}) {
        EXPECT_EQ(BlendOne({255, 255, 255, 255}, dst, 256, 256, true), (Colour{255, 255, 255}));
        EXPECT_EQ(BlendOne({0, 0, 0, 255}, dst, 256, 256, true), dst);
    }
    EXPECT_EQ(BlendOne({200, 100, 50, 128}, {10, 10, 10}, 256, 256, true), (Colour{110, 60, 35}));
    EXPECT_EQ(BlendOne({200, 100, 50, 255}, {10, 10, 10}, 128, 256, true), (Colour{110, 60, 35}));
    // The brightness rule applies to the sum, destination included.
    EXPECT_EQ(BlendOne({200, 100, 50, 255}, {10, 10, 10}, 256, 128, true), (Colour{105, 55, 30}));
    EXPECT_EQ(BlendOne({200, 100, 50, 255}, {10, 10, 10}, 128, 128, true), (Colour{55, 30, 17}));
}

TEST(CrossfadeTest, RatioDecidesBetweenTheTwoPictures) {
    // Colours from RGB565 (low bits 0), as every loaded picture has them.
    gfx::Image a = MakeImage(3, 1, {40, 80, 120, 255});
    gfx::Image b = MakeImage(3, 1, {200, 160, 8, 255});
    SetPixel(a, 1, 0, {40, 80, 120, 0});  // only B shows
    SetPixel(b, 2, 0, {200, 160, 8, 0});  // only A shows
    const Colour dst{16, 16, 16};

    auto draw = [&](auto&& drawCall) {
        TestTarget target(1, 3, dst);  // landscape 3 x 1 is stored as 3 rows of 1
        drawCall(target.Dest());
        return std::array<Colour, 3>{target.At(0, 2), target.At(0, 1), target.At(0, 0)};
    };
    const gfx::Rect all{0, 0, 1, 3};
    auto zero = draw([&](gfx::Destination d) { gfx::DrawCrossfade(a, b, d, 0, 0, all, 0, 256); });
    auto onlyB = draw([&](gfx::Destination d) { gfx::DrawImage(b, d, 0, 0, all, 256, 256); });
    EXPECT_EQ(zero, onlyB);
    auto full = draw([&](gfx::Destination d) { gfx::DrawCrossfade(a, b, d, 0, 0, all, 256, 256); });
    auto onlyA = draw([&](gfx::Destination d) { gfx::DrawImage(a, d, 0, 0, all, 256, 256); });
    EXPECT_EQ(full, onlyA);

    auto half = draw([&](gfx::Destination d) { gfx::DrawCrossfade(a, b, d, 0, 0, all, 128, 256); });
    EXPECT_EQ(half[0], (Colour{120, 120, 64}));  // both: mixed, h = 255
    // Only B at h = 128 x 255 >> 8 = 127 over the destination.
    EXPECT_EQ(half[1], (Colour{(200 * 127 + 16 * 129) >> 8, (160 * 127 + 16 * 129) >> 8,
                               (8 * 127 + 16 * 129) >> 8}));
    EXPECT_EQ(half[2], (Colour{(40 * 127 + 16 * 129) >> 8, (80 * 127 + 16 * 129) >> 8,
                               (120 * 127 + 16 * 129) >> 8}));
    auto dark = draw([&](gfx::Destination d) { gfx::DrawCrossfade(a, b, d, 0, 0, all, 128, 0); });
    EXPECT_EQ(dark[0], (Colour{0, 0, 0}));
    // Brightness darkens the mixed colour, not the destination showing through.
    EXPECT_EQ(dark[1], (Colour{8, 8, 8}));
}

TEST(FillTest, FillsAndTheirBlends) {
    TestTarget target(4, 3, {10, 10, 10});
    gfx::FillColour(0xC86432, target.Dest(), {1, 1, 1, 3}, 256, 256);  // right == left
    gfx::FillColour(0xC86432, target.Dest(), {0, 2, 4, 2}, 256, 256);  // bottom == top
    gfx::FillColourAdditive(0xFFFFFF, target.Dest(), {3, 0, 2, 3}, 256, 256);
    EXPECT_EQ(target.bytes, target.guard);

    gfx::FillColour(0xC86432, target.Dest(), {0, 0, 1, 1}, 256, 256);
    gfx::FillColour(0xC86432, target.Dest(), {1, 0, 2, 1}, 128, 256);
    gfx::FillColour(0xC86432, target.Dest(), {2, 0, 3, 1}, 256, 128);
    gfx::FillColour(0xC86432, target.Dest(), {3, 0, 4, 1}, 128, 128);
    EXPECT_EQ(target.At(0, 0), (Colour{50, 100, 200}));
    EXPECT_EQ(target.At(1, 0), (Colour{30, 55, 105}));
    EXPECT_EQ(target.At(2, 0), (Colour{25, 50, 100}));
    EXPECT_EQ(target.At(3, 0), (Colour{15, 27, 52}));

    gfx::FillColourAdditive(0xC86432, target.Dest(), {0, 1, 1, 2}, 256, 256);
    gfx::FillColourAdditive(0xC86432, target.Dest(), {1, 1, 2, 2}, 128, 256);
    gfx::FillColourAdditive(0xC86432, target.Dest(), {2, 1, 3, 2}, 256, 128);
    gfx::FillColourAdditive(0xC86432, target.Dest(), {3, 1, 4, 2}, 128, 128);
    EXPECT_EQ(target.At(0, 1), (Colour{60, 110, 210}));
    EXPECT_EQ(target.At(1, 1), (Colour{35, 60, 110}));
    EXPECT_EQ(target.At(2, 1), (Colour{30, 55, 105}));
    EXPECT_EQ(target.At(3, 1), (Colour{17, 30, 55}));

    // A rectangle reaching past the destination fills only what lies inside.
    gfx::FillColour(0x000001, target.Dest(), {-5, 2, 50, 99}, 256, 256);
    for (int32_t c = 0; c < 4; ++c) EXPECT_EQ(target.At(c, 2), (Colour{1, 0, 0}));
    EXPECT_TRUE(target.GuardsIntact());

    std::vector<uint8_t> plain(2 * 2 * 3, 0);
    gfx::FillRect(plain.data(), 2, {1, 0, 5, 2}, 0x0A0B0C);
    EXPECT_EQ(plain, (std::vector<uint8_t>{0, 0, 0, 12, 11, 10, 0, 0, 0, 12, 11, 10}));
}

// Callers clip, but a slot's picture may be smaller than a stale source
// rectangle: nothing outside the picture or the destination may be touched.
TEST(StandardBlendTest, StrayRectanglesAreCutToPictureAndDestination) {
    gfx::Image image = MakeImage(2, 2, {1, 2, 3, 255});  // stored 2 x 2
    TestTarget target(3, 3, {9, 9, 9});
    gfx::DrawImage(image, target.Dest(), 2, 2, {0, 0, 50, 50}, 256, 256);
    gfx::DrawImageAdditive(image, target.Dest(), -1, -1, {-3, -3, 1, 1}, 200, 300);
    gfx::DrawCrossfade(image, image, target.Dest(), 0, 2, {1, 0, 9, 9}, 100, 256);
    EXPECT_TRUE(target.GuardsIntact());
    // Copied, then (-3,-3) placed at (-1,-1) puts stored (0,0) on the same
    // pixel: additive at opacity 200 and brightness 300.
    EXPECT_EQ(target.At(2, 2), (Colour{43, 45, 47}));
    EXPECT_EQ(target.At(0, 2), (Colour{0, 0, 0}));  // cross-fade of equal colours, masked
    for (auto [column, row] : {std::pair{0, 0}, {1, 1}, {2, 1}, {1, 2}})
        EXPECT_EQ(target.At(column, row), (Colour{9, 9, 9})) << column << "," << row;
    gfx::Image empty;
    gfx::DrawImage(empty, target.Dest(), 0, 0, {0, 0, 3, 3}, 256, 256);
    EXPECT_TRUE(target.GuardsIntact());
}

TEST(ScreenBufferTest, PresentConvertsToRgb565AtThePitches) {
    gfx::ScreenBuffer screen;
    auto put = [&](int32_t column, int32_t row, Colour c) {
        std::copy_n(c.begin(), 3, screen.Bits() + row * gfx::kScreenRowBytes + column * 3);
    };
    put(0, 0, {0xFF, 0x80, 0x10});
    put(5, 7, {0x07, 0x03, 0xF8});
    put(239, 319, {0, 0xFC, 0});

    // A device with padded rows shows that the y pitch is honoured.
    const int32_t yPitch = 500;
    std::vector<uint8_t> device(static_cast<size_t>(yPitch) * 320, 0xAA);
    screen.SetDevicePitches(2, yPitch);
    screen.Present(device.data());
    auto word = [&](int32_t column, int32_t row) {
        size_t o = static_cast<size_t>(row) * yPitch + column * 2;
        return device[o] | (device[o + 1] << 8);
    };
    EXPECT_EQ(word(0, 0), (2 << 11) | (32 << 5) | 31);
    EXPECT_EQ(word(5, 7), 31 << 11);
    EXPECT_EQ(word(239, 319), 63 << 5);
    EXPECT_EQ(word(1, 0), 0);
    EXPECT_EQ(device[480], 0xAA);  // the padding is not the device's

    // A shaken present: the destination takes pixels from the source corner.
    std::fill(device.begin(), device.end(), 0xAA);
    screen.Present(device.data(), {10, 20, 12, 21}, {5, 7, 7, 8});
    EXPECT_EQ(word(10, 20), 31 << 11);
    EXPECT_EQ(word(11, 20), 0);
    EXPECT_EQ(word(12, 20), 0xAAAA);
    EXPECT_EQ(word(10, 21), 0xAAAA);

    // Rectangles hanging off either side are cut on both: destination columns
    // 0 and 1 would read left of the buffer, rows past 319 are not the device's.
    std::fill(device.begin(), device.end(), 0xAA);
    put(0, 317, {0, 0, 0xF8});
    screen.Present(device.data(), {-2, 318, 10, 330}, {-4, 317, 0, 0});
    EXPECT_EQ(word(1, 318), 0xAAAA);
    EXPECT_EQ(word(2, 318), 31 << 11);
    EXPECT_EQ(word(9, 319), 0);
    EXPECT_EQ(word(10, 318), 0xAAAA);
    size_t written = 0;
    for (int32_t row = 0; row < 320; ++row)
        for (int32_t column = 0; column < 240; ++column) written += word(column, row) != 0xAAAA;
    EXPECT_EQ(written, 16u);
}

// Transformed drawing: the picture's landscape pixels land on the screen's
// landscape pixels; Screen reads one back through the portrait mapping.
class TransformedDrawTest : public ::testing::Test {
protected:
    Colour Screen(int32_t x, int32_t y) const {
        const uint8_t* p = screen_.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
        return {p[0], p[1], p[2]};
    }
    // A 4 x 2 picture with a different colour in every pixel.
    static gfx::Image Asymmetric() {
        gfx::Image image = MakeImage(4, 2, {0, 0, 0, 255});
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 4; ++x)
                SetPixel(image, x, y, {uint8_t(10 + x), uint8_t(20 + y), 200, 255});
        return image;
    }
    // Every screen pixel outside the landscape box still shows the background.
    bool OutsideUnchanged(const gfx::Rect& box) const {
        for (int32_t y = 0; y < 240; ++y)
            for (int32_t x = 0; x < 320; ++x) {
                if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) continue;
                size_t o = static_cast<size_t>(319 - x) * gfx::kScreenRowBytes + y * 3;
                if (!std::equal(&background_[o], &background_[o] + 3, screen_.Bits() + o))
                    return false;
            }
        return true;
    }
    void Paint() {
        for (size_t i = 0; i < background_.size(); ++i) background_[i] = uint8_t(i * 7);
        std::copy(background_.begin(), background_.end(), screen_.Bits());
    }
    gfx::ScreenBuffer screen_;
    std::vector<uint8_t> background_ = std::vector<uint8_t>(gfx::kScreenRowBytes * 320);
    const gfx::Rect whole_{0, 0, 320, 240};
};

TEST_F(TransformedDrawTest, UnitScaleMatchesThePlainKernel) {
    gfx::Image image = Asymmetric();
    SetPixel(image, 1, 1, {90, 90, 90, 100});
    SetPixel(image, 2, 0, {90, 90, 90, 0});
    for (auto [opacity, brightness] : {std::pair{256, 256}, {200, 256}, {256, 300}, {99, 40}}) {
        Paint();
        gfx::Transform t{{0, 0, 4, 2}, 50, 60, 2, 1, 1000, 1000, 0};
        gfx::DrawImageTransformed(image, screen_.Bits(), t, whole_, opacity, brightness);
        std::vector<uint8_t> transformed(screen_.Bits(), screen_.Bits() + background_.size());
        Paint();
        gfx::Rect stored = gfx::ToPortraitRect({0, 0, 4, 2}, 4);
        gfx::Rect target = gfx::ToPortraitRect({50, 60, 54, 62}, 320);
        gfx::DrawImage(image, {screen_.Bits(), 240, 320}, target.left, target.top, stored, opacity,
                       brightness);
        EXPECT_TRUE(std::equal(transformed.begin(), transformed.end(), screen_.Bits()))
            << opacity << " " << brightness;
    }
}

TEST_F(TransformedDrawTest, DoubleScaleRepeatsEachPixelTwice) {
    gfx::Image image = Asymmetric();
    Paint();
    gfx::DrawImageTransformed(image, screen_.Bits(), {{0, 0, 4, 2}, 100, 50, 0, 0, 2000, 2000, 0},
                              whole_, 256, 256);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ(Screen(100 + x, 50 + y),
                      (Colour{uint8_t(10 + x / 2), uint8_t(20 + y / 2), 200}))
                << x << "," << y;
    EXPECT_TRUE(OutsideUnchanged({100, 50, 108, 54}));
}

TEST_F(TransformedDrawTest, QuarterTurnTurnsThePictureClockwise) {
    gfx::Image image = Asymmetric();
    Paint();
    // Pivot offset (2, 1): the picture turns about its centre's top-left pixel.
    gfx::DrawImageTransformed(image, screen_.Bits(), {{0, 0, 4, 2}, 100, 50, 2, 1, 1000, 1000, 90},
                              whole_, 256, 256);
    // Turned a quarter clockwise, a 4 x 2 picture becomes 2 x 4: its column
    // i is the old row 1 - i read top to bottom. The box's top-left pixel
    // maps to the square's corner, which puts the result at (102, 49).
    for (int32_t i = 0; i < 2; ++i)
        for (int32_t j = 0; j < 4; ++j) {
            EXPECT_EQ(Screen(102 + i, 49 + j), (Colour{uint8_t(10 + j), uint8_t(20 + 1 - i), 200}))
                << i << "," << j;
        }
    EXPECT_TRUE(OutsideUnchanged({102, 49, 104, 53}));
}

TEST_F(TransformedDrawTest, ClippingAdvancesTheStartByTheCutRowsAndColumns) {
    gfx::Image image = MakeImage(9, 7, {0, 0, 0, 255});
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 9; ++x)
            SetPixel(image, x, y, {uint8_t(x * 20), uint8_t(y * 30), 77, 255});
    for (int32_t angle : {0, 33, 200}) {
        gfx::Transform t{{0, 0, 9, 7}, 40, 30, 4, 3, 1700, 1300, angle};
        Paint();
        gfx::DrawImageTransformed(image, screen_.Bits(), t, whole_, 256, 256);
        std::vector<uint8_t> full(screen_.Bits(), screen_.Bits() + background_.size());
        gfx::Rect clip{45, 34, 52, 39};
        Paint();
        gfx::DrawImageTransformed(image, screen_.Bits(), t, clip, 256, 256);
        size_t inside = 0;
        for (int32_t y = 0; y < 240; ++y)
            for (int32_t x = 0; x < 320; ++x) {
                bool in = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                size_t o = static_cast<size_t>(319 - x) * gfx::kScreenRowBytes + y * 3;
                const uint8_t* expected = in ? &full[o] : &background_[o];
                ASSERT_TRUE(std::equal(expected, expected + 3, screen_.Bits() + o))
                    << angle << ": " << x << "," << y;
                inside += in && !std::equal(expected, expected + 3, &background_[o]);
            }
        EXPECT_GT(inside, 0u) << angle;  // the clip really crossed the picture
    }
}

TEST_F(TransformedDrawTest, StaleSourceRectangleReadsOnlyThePicture) {
    gfx::Image image = MakeImage(2, 2, {5, 6, 7, 255});
    Paint();
    gfx::DrawImageTransformed(image, screen_.Bits(), {{0, 0, 30, 30}, 10, 10, 0, 0, 1000, 1000, 0},
                              whole_, 256, 256);
    EXPECT_EQ(Screen(11, 11), (Colour{5, 6, 7}));
    EXPECT_TRUE(OutsideUnchanged({10, 10, 12, 12}));
    gfx::DrawImageTransformed(image, screen_.Bits(), {{0, 0, 30, 30}, 10, 10, 0, 0, 1000, 1000, 45},
                              {-50, -50, 999, 999}, 256, 256);
    gfx::DrawImageTransformed(image, screen_.Bits(), {{0, 0, 2, 2}, 318, 238, 0, 0, 3000, 3000, 0},
                              whole_, 256, 256);
    EXPECT_EQ(Screen(319, 239), (Colour{5, 6, 7}));
}

}  // namespace
