// The three box scalers on a hand-made 6 x 6 picture, with the expected
// pixels worked out by hand from the windows each one takes.

#include "clipmux/box_scaler.h"

#include <gtest/gtest.h>

#include <array>

namespace clipmux {
namespace {

// Byte 0 = x + 10 y, byte 1 = 100, byte 2 = 7 x; a fourth byte of 4-byte
// pixels is 255 (never read).
Picture Source(int bytesPerPixel) {
    Picture picture;
    picture.Resize(6, 6, bytesPerPixel);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            uint8_t* p = picture.Row(y) + x * bytesPerPixel;
            p[0] = static_cast<uint8_t>(x + 10 * y);
            if (bytesPerPixel >= 2) p[1] = 100;
            if (bytesPerPixel >= 3) p[2] = static_cast<uint8_t>(7 * x);
            if (bytesPerPixel == 4) p[3] = 255;
        }
    }
    return picture;
}

using Pixel = std::array<int, 3>;

Pixel At(const Picture& picture, int x, int y) {
    const uint8_t* p = picture.Row(y) + x * 3;
    return {p[0], p[1], p[2]};
}

TEST(BoxScalerTest, EachMemberAveragesItsOwnWindow) {
    for (int bytesPerPixel : {3, 4}) {
        SCOPED_TRACE(bytesPerPixel);
        const Picture source = Source(bytesPerPixel);
        Picture out;
        // Narrow: 3 x 3 windows from the anchor (3, 3); the second column's
        // and row's windows start at 6, outside the picture, and give 0.
        ASSERT_TRUE(ScalePicture(source, 2, 2, ScalerKind::kNarrow, &out));
        EXPECT_EQ(out.bytesPerPixel, 3);
        EXPECT_EQ(At(out, 0, 0), (Pixel{44, 100, 28}));
        EXPECT_EQ(At(out, 1, 0), (Pixel{0, 0, 0}));
        EXPECT_EQ(At(out, 0, 1), (Pixel{0, 0, 0}));
        EXPECT_EQ(At(out, 1, 1), (Pixel{0, 0, 0}));
        // Wide: 4 x 4 windows centred on the anchors 3 and 6 (from 1 and
        // from 4), the second one cut to the two pixels inside.
        ASSERT_TRUE(ScalePicture(source, 2, 2, ScalerKind::kWide, &out));
        EXPECT_EQ(At(out, 0, 0), (Pixel{27, 100, 17}));
        EXPECT_EQ(At(out, 1, 0), (Pixel{29, 100, 31}));
        EXPECT_EQ(At(out, 0, 1), (Pixel{47, 100, 17}));
        EXPECT_EQ(At(out, 1, 1), (Pixel{49, 100, 31}));
        // Double-then-halve: the wide scaler to 4 x 4 (ratio 1.5, windows of
        // 3 centred on 1 and 4), every second pixel kept.
        ASSERT_TRUE(ScalePicture(source, 2, 2, ScalerKind::kDoubleThenHalve, &out));
        EXPECT_EQ(At(out, 0, 0), (Pixel{11, 100, 7}));
        EXPECT_EQ(At(out, 1, 0), (Pixel{14, 100, 28}));
        EXPECT_EQ(At(out, 0, 1), (Pixel{41, 100, 7}));
        EXPECT_EQ(At(out, 1, 1), (Pixel{44, 100, 28}));
    }
}

TEST(BoxScalerTest, NarrowSourcesGiveNoPictureAndTheReadersPickTheirMember) {
    Picture out;
    EXPECT_FALSE(ScalePicture(Source(2), 2, 2, ScalerKind::kWide, &out));
    EXPECT_FALSE(ScalePicture(Source(1), 2, 2, ScalerKind::kNarrow, &out));
    EXPECT_EQ(ScalerForTarget(320, true), ScalerKind::kWide);
    EXPECT_EQ(ScalerForTarget(320, false), ScalerKind::kWide);
    EXPECT_EQ(ScalerForTarget(160, true), ScalerKind::kDoubleThenHalve);
    EXPECT_EQ(ScalerForTarget(160, false), ScalerKind::kNarrow);
}

}  // namespace
}  // namespace clipmux
