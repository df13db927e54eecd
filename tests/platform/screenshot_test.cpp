#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "png_picture.h"
#include "test_support.h"

namespace {

using testing_support::ReadPngPicture;
using testing_support::SetLandscapePixel;

// The shot must show the picture the way the player holds the device:
// landscape (x, y) is device row 319 - x, column y, and the 5- and 6-bit
// channels reach full intensity (white is 255, not 248).
TEST(Screenshot, TurnsThePortraitBufferBackToLandscape) {
    testing_support::TempDir dir;
    std::vector<uint8_t> device(platform::kDeviceBufferBytes, 0);
    SetLandscapePixel(device.data(), 0, 0, 0xF800);      // red
    SetLandscapePixel(device.data(), 319, 0, 0x07E0);    // green
    SetLandscapePixel(device.data(), 0, 239, 0x001F);    // blue
    SetLandscapePixel(device.data(), 319, 239, 0xFFFF);  // white
    SetLandscapePixel(device.data(), 100, 50, 0x8410);   // 5-bit 16, 6-bit 32
    std::string path = (dir / "shot.png").string();
    std::string error;
    ASSERT_TRUE(platform::WriteDeviceScreenshot(path, device.data(), 2, 480, &error)) << error;

    auto picture = ReadPngPicture(path);
    ASSERT_EQ(picture.width, 320u);
    ASSERT_EQ(picture.height, 240u);
    EXPECT_EQ(picture.At(0, 0), 0xFF0000u);
    EXPECT_EQ(picture.At(319, 0), 0x00FF00u);
    EXPECT_EQ(picture.At(0, 239), 0x0000FFu);
    EXPECT_EQ(picture.At(319, 239), 0xFFFFFFu);
    EXPECT_EQ(picture.At(100, 50), 0x848284u);
    EXPECT_EQ(picture.At(101, 50), 0u);
    EXPECT_EQ(picture.At(100, 51), 0u);
}

// The pitches come from the display properties; a device with padded rows
// must still be read pixel for pixel.
TEST(Screenshot, FollowsTheDevicePitches) {
    testing_support::TempDir dir;
    const int32_t pitchY = 512;
    std::vector<uint8_t> device(size_t{pitchY} * 320, 0xAA);  // padding is never read as pixels
    for (int row = 0; row < 320; ++row)
        for (int column = 0; column < 240; ++column) {
            uint16_t colour = row == 319 - 7 && column == 9 ? 0xFFFF : 0;
            std::memcpy(&device[size_t(row) * pitchY + size_t(column) * 2], &colour, 2);
        }
    std::string path = (dir / "padded.png").string();
    std::string error;
    ASSERT_TRUE(platform::WriteDeviceScreenshot(path, device.data(), 2, pitchY, &error)) << error;
    auto picture = ReadPngPicture(path);
    ASSERT_EQ(picture.width, 320u);
    EXPECT_EQ(picture.At(7, 9), 0xFFFFFFu);
    EXPECT_EQ(picture.At(0, 239), 0u);
    EXPECT_EQ(picture.At(319, 0), 0u);
}

TEST(Screenshot, ReportsWhatCannotBeWritten) {
    testing_support::TempDir dir;
    std::vector<uint8_t> device(platform::kDeviceBufferBytes, 0);
    std::string error;
    EXPECT_FALSE(platform::WriteDeviceScreenshot((dir / "missing/shot.png").string(), device.data(),
                                                 2, 480, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(
        platform::WriteDeviceScreenshot((dir / "shot.png").string(), nullptr, 2, 480, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
