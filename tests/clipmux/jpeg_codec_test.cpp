// Frames as the player needs them: baseline JPEG with 2 x 2 chroma, blue
// handed over as red, and the quality list's percentages.

#include "clipmux/jpeg_codec.h"

#include <gtest/gtest.h>

#include "movie_fixtures.h"

namespace clipmux {
namespace {

// The first value (DC) of the first quantisation table, and the sampling
// factors of the frame header.
struct JpegFacts {
    int firstQuantiser = -1;
    int components = 0;
    std::vector<int> sampling;
    bool baseline = false;
};

JpegFacts Inspect(const formats::ByteVector& jpeg) {
    JpegFacts facts;
    for (size_t i = 2; i + 4 < jpeg.size();) {
        if (jpeg[i] != 0xFF) break;
        const int marker = jpeg[i + 1];
        const size_t length = static_cast<size_t>(jpeg[i + 2] << 8 | jpeg[i + 3]);
        if (marker == 0xDB && facts.firstQuantiser < 0) facts.firstQuantiser = jpeg[i + 5];
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            facts.baseline = marker == 0xC0;
            facts.components = jpeg[i + 9];
            for (int c = 0; c < facts.components; ++c)
                facts.sampling.push_back(jpeg[i + 11 + 3 * c]);
        }
        if (marker == 0xDA) break;
        i += 2 + length;
    }
    return facts;
}

TEST(JpegCodecTest, BlueIsHandedOverAsRedAndChromaIsHalved) {
    // Left half blue, right half red, in memory order blue, green, red.
    Picture picture;
    picture.Resize(32, 16, 3);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            uint8_t* p = picture.Row(y) + x * 3;
            p[x < 16 ? 0 : 2] = 255;
        }
    }
    formats::ByteVector jpeg;
    std::string why;
    ASSERT_TRUE(EncodeFrameJpeg(picture, 90, &jpeg, &why)) << why;
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(clipmux_test::DecodeRgb(jpeg, &w, &h, &rgb));
    ASSERT_EQ(w, 32);
    ASSERT_EQ(h, 16);
    const size_t left = (8 * 32 + 4) * 3;
    const size_t right = (8 * 32 + 28) * 3;
    // A standard decoder's first byte is the memory's first byte: blue.
    EXPECT_GT(rgb[left], 230);
    EXPECT_LT(rgb[left + 2], 25);
    EXPECT_LT(rgb[right], 25);
    EXPECT_GT(rgb[right + 2], 230);

    const JpegFacts facts = Inspect(jpeg);
    EXPECT_TRUE(facts.baseline);
    EXPECT_EQ(facts.components, 3);
    EXPECT_EQ(facts.sampling, (std::vector<int>{0x22, 0x11, 0x11}));
}

TEST(JpegCodecTest, QualityChoicesScaleTheQuantisers) {
    // The library's DC luminance quantiser (16 at quality 50) at each
    // percentage of the list, index 0 (100%) to 10 (5%).
    const int expected[kQualityChoiceCount] = {1, 3, 6, 10, 13, 16, 20, 27, 40, 80, 160};
    Picture picture;
    picture.Resize(16, 16, 3);
    for (int choice = 0; choice < kQualityChoiceCount; ++choice) {
        formats::ByteVector jpeg;
        std::string why;
        ASSERT_TRUE(EncodeFrameJpeg(picture, QualityForChoice(choice), &jpeg, &why));
        EXPECT_EQ(Inspect(jpeg).firstQuantiser, expected[choice]) << "choice " << choice;
    }
}

TEST(JpegCodecTest, DecodingGivesBlueGreenRedFromGreyAndColourImages) {
    Picture out;
    std::string why;
    const clipmux_test::Bgr colour{200, 100, 30};
    ASSERT_TRUE(DecodeJpegToBgr(clipmux_test::SolidJpeg(24, 8, colour, false), &out, &why)) << why;
    ASSERT_EQ(out.width, 24);
    const uint8_t* p = out.Row(4) + 12 * 3;
    EXPECT_NEAR(p[0], 200, 4);
    EXPECT_NEAR(p[1], 100, 4);
    EXPECT_NEAR(p[2], 30, 4);
    ASSERT_TRUE(DecodeJpegToBgr(clipmux_test::SolidJpeg(8, 8, {77, 0, 0}, true), &out, &why));
    EXPECT_NEAR(out.Row(4)[0], 77, 2);
    EXPECT_EQ(out.Row(4)[0], out.Row(4)[2]);
    const formats::ByteVector junk = {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3};
    EXPECT_FALSE(DecodeJpegToBgr(junk, &out, &why));
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace clipmux
