// A decoded frame on its way to the screen: the JPEG decoded in the file's
// channel order, and the picture turned onto the portrait device at full
// and at double size.

#include <gtest/gtest.h>

#include "engine/movie/frame_decoder.h"
#include "engine/movie/frame_drawing.h"
#include "movie_fixture.h"
#include "movie_test_data.h"

namespace {

using movie::ToRgb565;
using movie_test::MemoryDisplay;

// A picture as the decoder leaves it whose every pixel differs: blue from
// the column, green from the row, red from both; the padding byte is noise
// that must not show.
std::vector<uint8_t> Gradient(uint32_t width, uint32_t height) {
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            pixels.insert(
                pixels.end(),
                {static_cast<uint8_t>(x * 255 / width), static_cast<uint8_t>(y * 255 / height),
                 static_cast<uint8_t>((x + y) * 7), static_cast<uint8_t>(x * 31 + y)});
        }
    }
    return pixels;
}

uint16_t Expected(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t x, uint32_t y) {
    const uint8_t* p = pixels.data() + (size_t{y} * width + x) * 4;
    return ToRgb565(p[0], p[1], p[2]);
}

TEST(FrameDecoder, DeliversTheFilesChannelOrderAndGivesUpOnBadFrames) {
    movie::FrameDecoder decoder;
    // The converter hands blue, green, red to the encoder as red, green, blue.
    const movie_test::Colour orange{250, 120, 10};
    const std::vector<uint8_t> jpeg =
        movie_test::EncodeFrame(movie_test::SolidBgr(160, 120, orange), 160, 120, 95);
    ASSERT_TRUE(decoder.Decode(jpeg.data(), jpeg.size(), 160, 120));
    const uint8_t* centre = decoder.FrameBuffer() + size_t{60 * 160 + 80} * 4;
    EXPECT_NEAR(centre[0], orange.blue, 4);
    EXPECT_NEAR(centre[1], orange.green, 4);
    EXPECT_NEAR(centre[2], orange.red, 4);
    EXPECT_EQ(decoder.Warnings(), 0);

    // Not a JPEG, empty, another size than the movie's: given up, no crash.
    const std::vector<uint8_t> noise = testing_support::RandomBytes(3000, 7);
    EXPECT_FALSE(decoder.Decode(noise.data(), noise.size(), 160, 120));
    EXPECT_FALSE(decoder.Decode(jpeg.data(), 0, 160, 120));
    EXPECT_FALSE(decoder.Decode(jpeg.data(), jpeg.size(), 320, 240));
    // Larger than the frame buffer holds: refused before anything is written.
    const std::vector<uint8_t> large =
        movie_test::EncodeFrame(movie_test::SolidBgr(640, 480, orange), 640, 480);
    EXPECT_FALSE(decoder.Decode(large.data(), large.size(), 640, 480));

    // A stream cut short in its picture data decodes what is there, with a
    // warning.
    size_t scan = 0;
    while (scan + 1 < jpeg.size() && !(jpeg[scan] == 0xFF && jpeg[scan + 1] == 0xDA)) ++scan;
    ASSERT_LT(scan + 40, jpeg.size());
    ASSERT_TRUE(decoder.Decode(jpeg.data(), scan + 20, 160, 120));
    EXPECT_GT(decoder.Warnings(), 0);
    EXPECT_NEAR(decoder.FrameBuffer()[2], orange.red, 4);

    // The decoder is still sound after all that.
    ASSERT_TRUE(decoder.Decode(jpeg.data(), jpeg.size(), 160, 120));
    EXPECT_NEAR(centre[2], orange.red, 4);
}

TEST(FrameDrawing, FullSizeTurnsThePictureOntoThePortraitScreenCentred) {
    MemoryDisplay display;
    const auto& properties = platform::kDeviceDisplayProperties;
    movie::ClearScreen(display.bits.data(), properties);
    for (int32_t y = 0; y < 320; y += 7)
        for (int32_t x = 0; x < 240; x += 5) ASSERT_EQ(display.At(x, y), 0);

    const std::vector<uint8_t> full = Gradient(320, 240);
    movie::DrawFrame({full.data(), 320, 240}, display.bits.data(), properties);
    // The top row runs up the left edge; the left column lies along the bottom.
    EXPECT_EQ(display.At(0, 319), Expected(full, 320, 0, 0));
    EXPECT_EQ(display.At(0, 0), Expected(full, 320, 319, 0));
    EXPECT_EQ(display.At(239, 319), Expected(full, 320, 0, 239));
    EXPECT_EQ(display.At(239, 0), Expected(full, 320, 319, 239));
    for (uint32_t my = 0; my < 240; ++my)
        for (uint32_t mx = 0; mx < 320; ++mx)
            ASSERT_EQ(display.At(my, 319 - mx), Expected(full, 320, mx, my)) << mx << "," << my;

    // A smaller picture sits in the middle; the rest stays as it was.
    display.Fill(0);
    const std::vector<uint8_t> small = Gradient(200, 150);
    movie::DrawFrame({small.data(), 200, 150}, display.bits.data(), properties);
    EXPECT_EQ(display.At(45, 259), Expected(small, 200, 0, 0));
    EXPECT_EQ(display.At(194, 60), Expected(small, 200, 199, 149));
    EXPECT_EQ(display.At(44, 160), 0);
    EXPECT_EQ(display.At(195, 160), 0);
    EXPECT_EQ(display.At(120, 260), 0);
    EXPECT_EQ(display.At(120, 59), 0);

    // A device laid out the other way round (screen columns side by side)
    // gets the same picture.
    platform::GXDisplayProperties columns = properties;
    columns.cbxPitch = 640;
    columns.cbyPitch = 2;
    for (uint32_t height : {240u, 150u}) {
        const std::vector<uint8_t> picture = Gradient(320, height);
        MemoryDisplay other;
        display.Fill(0);
        movie::DrawFrame({picture.data(), 320, height}, display.bits.data(), properties);
        movie::DrawFrame({picture.data(), 320, height}, other.bits.data(), columns);
        const int32_t left = 120 - static_cast<int32_t>(height) / 2;
        for (int32_t y = 0; y < 320; ++y) {
            for (int32_t x = left; x < left + static_cast<int32_t>(height); ++x) {
                uint16_t word;
                std::memcpy(&word, other.bits.data() + ptrdiff_t{x} * 640 + ptrdiff_t{y} * 2, 2);
                ASSERT_EQ(word, display.At(x, y)) << height << ": " << x << "," << y;
            }
        }
    }
}

TEST(FrameDrawing, HalfSizeDoublesEveryPixelWithAveragesBetween) {
    MemoryDisplay display;
    const auto& properties = platform::kDeviceDisplayProperties;
    const std::vector<uint8_t> half = Gradient(160, 120);
    movie::DrawFrame({half.data(), 160, 120}, display.bits.data(), properties);
    // The whole screen is covered.
    for (int32_t y = 0; y < 320; ++y)
        for (int32_t x = 0; x < 240; ++x)
            ASSERT_NE(display.At(x, y), MemoryDisplay::kUntouched) << x << "," << y;

    auto pixel = [&](uint32_t x, uint32_t y) { return half.data() + (size_t{y} * 160 + x) * 4; };
    auto average = [](const uint8_t* a, const uint8_t* b) {
        return ToRgb565(static_cast<uint8_t>((a[0] + b[0]) / 2),
                        static_cast<uint8_t>((a[1] + b[1]) / 2),
                        static_cast<uint8_t>((a[2] + b[2]) / 2));
    };
    // Movie pixel (10, 20) and its block at screen (40, 299).
    const uint8_t* p = pixel(10, 20);
    EXPECT_EQ(display.At(40, 299), ToRgb565(p[0], p[1], p[2]));
    EXPECT_EQ(display.At(40, 298), average(p, pixel(11, 20)));
    EXPECT_EQ(display.At(41, 299), average(p, pixel(10, 21)));
    EXPECT_EQ(display.At(41, 298), average(p, pixel(11, 21)));
    // The last column and the last row have nothing beyond them: the pixel
    // itself fills the whole block.
    const uint8_t* corner = pixel(159, 119);
    for (auto [x, y] :
         {std::pair{238, 0}, std::pair{238, 1}, std::pair{239, 0}, std::pair{239, 1}}) {
        EXPECT_EQ(display.At(x, y), ToRgb565(corner[0], corner[1], corner[2])) << x << "," << y;
    }

    // A smaller picture is doubled around the middle of the screen.
    display.Fill(0);
    const std::vector<uint8_t> small = Gradient(80, 60);
    movie::DrawFrame({small.data(), 80, 60}, display.bits.data(), properties);
    EXPECT_EQ(display.At(60, 239), Expected(small, 80, 0, 0));
    EXPECT_EQ(display.At(179, 80), Expected(small, 80, 79, 59));
    EXPECT_EQ(display.At(59, 160), 0);
    EXPECT_EQ(display.At(180, 160), 0);
    EXPECT_EQ(display.At(120, 240), 0);
    EXPECT_EQ(display.At(120, 79), 0);
}

}  // namespace
