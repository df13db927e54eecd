#include "engine/gfx/image.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "engine/gfx/screen_buffer.h"
#include "formats/mlz_archive.h"
#include "formats/rbp.h"
#include "platform/device_file.h"
#include "platform/device_path.h"
#include "test_support.h"

namespace {

using formats::ByteVector;
using Pixel = std::array<uint8_t, 4>;  // blue, green, red, alpha

// An RBP file built by hand, so that any version, type and word can be had.
ByteVector RbpFile(char version, uint32_t type, uint32_t width, uint32_t height,
                   const ByteVector& data, int16_t designWidth = 0, int16_t designHeight = 0) {
    ByteVector file;
    formats::AppendRbpHeader(file, {version, type, width, height, 32, designWidth, designHeight});
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

ByteVector Words(std::initializer_list<uint16_t> words) {
    ByteVector out;
    for (uint16_t w : words) formats::AppendLe16(out, w);
    return out;
}

Pixel At(const gfx::Image& image, int32_t x, int32_t y) {
    size_t o = image.OffsetOf(x, y);
    return {image.pixels[o], image.pixels[o + 1], image.pixels[o + 2], image.pixels[o + 3]};
}

class ImageLoadTest : public ::testing::Test {
protected:
    // Writes a loose file under the folder location and returns that location.
    std::string WriteLoose(const std::string& relative, const ByteVector& bytes) {
        testing_support::WriteHostFile(dir_ / relative, bytes);
        return Folder();
    }
    std::string Folder() const { return platform::HostToDevicePath(dir_.path().string()) + "\\"; }
    std::string WriteArchive(const std::vector<std::pair<std::string, ByteVector>>& entries) {
        formats::MlzArchiveBuilder builder;
        for (const auto& [name, data] : entries) {
            std::string error;
            EXPECT_TRUE(builder.AddEntry(name, data, formats::MlzMethod::kLzss, &error)) << error;
        }
        testing_support::WriteHostFile(dir_ / "grpack.mlz", builder.Finish());
        return platform::HostToDevicePath((dir_ / "grpack.mlz").string());
    }

    testing_support::TempDir dir_;
    formats::ArchiveReader archives_{platform::DeviceFileOpener()};
    gfx::Image image_;
};

// A 320 x 240 picture turns into 320 stored rows of 240 pixels, its top-right
// pixel first and its bottom-left pixel last.
TEST_F(ImageLoadTest, FullScreenPictureInPortraitStorage) {
    const uint32_t w = 320, h = 240;
    ByteVector bgra(w * h * 4, 0);
    auto put = [&](uint32_t x, uint32_t y, Pixel p) {
        std::copy_n(p.begin(), 4, &bgra[(y * w + x) * 4]);
    };
    for (size_t i = 3; i < bgra.size(); i += 4) bgra[i] = 255;
    put(319, 0, {8, 4, 248, 255});
    put(0, 239, {248, 252, 0, 255});
    put(5, 7, {16, 32, 64, 255});
    ByteVector file;
    ASSERT_TRUE(formats::EncodeRbpType11(bgra, w, h, 800, 600, &file, nullptr));
    std::string location = WriteLoose("GameData/char/back.rbp", file);

    ASSERT_EQ(image_.Load("GameData\\char\\back.rbp", location, gfx::Keying::kUnkeyed, archives_),
              1);
    EXPECT_EQ(image_.storedWidth, 240);
    EXPECT_EQ(image_.storedHeight, 320);
    EXPECT_EQ(image_.designWidth, 800);
    EXPECT_EQ(image_.designHeight, 600);
    EXPECT_EQ(image_.keyFlags, 0u);
    ASSERT_EQ(image_.pixels.size(), 320u * 240u * 4u);
    EXPECT_EQ((Pixel{image_.pixels[0], image_.pixels[1], image_.pixels[2], image_.pixels[3]}),
              (Pixel{8, 4, 248, 255}));
    EXPECT_EQ((Pixel{image_.pixels.end()[-4], image_.pixels.end()[-3], image_.pixels.end()[-2],
                     image_.pixels.end()[-1]}),
              (Pixel{248, 252, 0, 255}));
    EXPECT_EQ(At(image_, 5, 7), (Pixel{16, 32, 64, 255}));
    // Stored row 319 - 5 = 314, column 7.
    EXPECT_EQ(image_.pixels[(314 * 240 + 7) * 4 + 2], 64);
}

TEST_F(ImageLoadTest, KeyColourOnlyWhenKeyed) {
    std::string location =
        WriteArchive({{"GameData\\char\\key.rbp",
                       RbpFile('1', 13, 3, 1, Words({0xF81F, 0xF81E, 0x07E0}), 100, 20)}});
    for (auto keying : {gfx::Keying::kUnkeyed, gfx::Keying::kKeyed}) {
        ASSERT_EQ(image_.Load("GameData\\char\\key.rbp", location, keying, archives_), 1);
        bool keyed = keying == gfx::Keying::kKeyed;
        EXPECT_EQ(image_.keyFlags, keyed ? 0x80000000u : 0u);
        EXPECT_EQ(At(image_, 0, 0), (Pixel{248, 0, 248, uint8_t(keyed ? 0 : 255)}));
        EXPECT_EQ(At(image_, 1, 0), (Pixel{240, 0, 248, 255}));
        EXPECT_EQ(At(image_, 2, 0), (Pixel{0, 252, 0, 255}));
        EXPECT_EQ(image_.designWidth, 100);
        EXPECT_EQ(image_.designHeight, 20);
    }
}

// Version '1' alpha bytes hold 0..63; version '2' takes them as they are.
TEST_F(ImageLoadTest, AlphaVersionRule) {
    ByteVector data;
    for (uint8_t alpha : {63, 1, 0}) {
        formats::AppendLe16(data, 0xFFFF);
        data.push_back(alpha);
    }
    std::string location = WriteLoose("old.rbp", RbpFile('1', 11, 3, 1, data));
    WriteLoose("new.rbp", RbpFile('2', 11, 3, 1, data));
    WriteLoose("raw.rbp", RbpFile('1', 0, 1, 1, ByteVector{1, 2, 3, 63}));
    ASSERT_EQ(image_.Load("old.rbp", location, gfx::Keying::kUnkeyed, archives_), 1);
    EXPECT_EQ(At(image_, 0, 0)[3], 255);
    EXPECT_EQ(At(image_, 1, 0)[3], 7);
    EXPECT_EQ(At(image_, 2, 0)[3], 0);
    ASSERT_EQ(image_.Load("new.rbp", location, gfx::Keying::kUnkeyed, archives_), 1);
    EXPECT_EQ(At(image_, 0, 0)[3], 63);
    ASSERT_EQ(image_.Load("raw.rbp", location, gfx::Keying::kUnkeyed, archives_), 1);
    EXPECT_EQ(At(image_, 0, 0), (Pixel{1, 2, 3, 255}));
}

TEST_F(ImageLoadTest, NamesAndFailures) {
    ByteVector picture = RbpFile('1', 13, 1, 1, Words({0x001F}));
    std::string folder = WriteLoose("pic.rbp", picture);
    // Any other extension is read as ".rbp".
    ASSERT_EQ(image_.Load("pic.BMP", folder, gfx::Keying::kUnkeyed, archives_), 1);
    EXPECT_EQ(At(image_, 0, 0), (Pixel{248, 0, 0, 255}));
    ASSERT_EQ(image_.Load("pic", folder, gfx::Keying::kUnkeyed, archives_), 1);

    // 63 characters are allowed, 64 are not, even when the file is there.
    std::string name63 = std::string(59, 'n') + ".rbp";
    std::string name64 = std::string(60, 'n') + ".rbp";
    WriteLoose(name63, picture);
    WriteLoose(name64, picture);
    EXPECT_EQ(image_.Load(name63, folder, gfx::Keying::kUnkeyed, archives_), 1);
    EXPECT_EQ(image_.Load(name64, folder, gfx::Keying::kUnkeyed, archives_), 0);
    EXPECT_FALSE(image_.HasPixels());

    std::string archive = WriteArchive({{"a\\pic.rbp", picture},
                                        {"a\\bad.rbp", ByteVector{'M', 'B', 'P', '3'}},
                                        {"a\\short.rbp", RbpFile('1', 13, 4, 4, Words({1, 2}))},
                                        {"a\\odd.rbp", RbpFile('1', 7, 1, 1, ByteVector(4))}});
    EXPECT_EQ(image_.Load("A\\PIC.png", archive, gfx::Keying::kKeyed, archives_), 1);
    // A failed load leaves the image without pixels, whatever it held.
    for (const char* name : {"a\\missing.rbp", "a\\bad.rbp", "a\\short.rbp", "a\\odd.rbp"}) {
        ASSERT_EQ(image_.Load("a\\pic.rbp", archive, gfx::Keying::kKeyed, archives_), 1);
        EXPECT_EQ(image_.Load(name, archive, gfx::Keying::kKeyed, archives_), 0) << name;
        EXPECT_FALSE(image_.HasPixels()) << name;
        EXPECT_EQ(image_.storedWidth, 0) << name;
        EXPECT_EQ(image_.keyFlags, 0u) << name;
    }
    // The folder form is only taken for a location ending in '\'.
    EXPECT_EQ(
        image_.Load("pic.rbp", folder.substr(0, folder.size() - 1), gfx::Keying::kKeyed, archives_),
        0);
}

// Masks: black opaque, white transparent, the colours untouched, laid on
// through the portrait mapping.
TEST_F(ImageLoadTest, MaskReplacesAlpha) {
    ByteVector colours;
    for (int i = 0; i < 6; ++i) {
        formats::AppendLe16(colours, 0x07E0);
        colours.push_back(63);
    }
    std::string folder = WriteLoose("chara.rbp", RbpFile('1', 11, 3, 2, colours));
    WriteLoose("charam.rbp",
               RbpFile('1', 13, 3, 2, Words({0xFFFF, 0x0000, 0x8410, 0x0000, 0x0000, 0xFFFF})));
    WriteLoose("wide.rbp", RbpFile('1', 13, 2, 3, Words({0, 0, 0, 0, 0, 0})));
    WriteLoose("typed.rbp", RbpFile('2', 11, 3, 2, ByteVector(18, 0)));

    EXPECT_EQ(image_.LoadMask("charam.rbp", folder, archives_), 0);  // no picture yet
    ASSERT_EQ(image_.Load("chara.rbp", folder, gfx::Keying::kUnkeyed, archives_), 1);
    std::vector<uint8_t> before = image_.pixels;
    EXPECT_EQ(image_.LoadMask("wide.rbp", folder, archives_), 0);
    EXPECT_EQ(image_.LoadMask("typed.rbp", folder, archives_), 0);
    EXPECT_EQ(image_.LoadMask("missing.rbp", folder, archives_), 0);
    EXPECT_EQ(image_.pixels, before);

    ASSERT_EQ(image_.LoadMask("charam.bmp", folder, archives_), 1);
    const uint8_t expected[2][3] = {{0, 255, 120}, {255, 255, 0}};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(At(image_, x, y), (Pixel{0, 252, 0, expected[y][x]})) << x << "," << y;
}

TEST(ImageTest, BlankCanvasCaptureAndAlphaRectangle) {
    gfx::Image image;
    ASSERT_EQ(image.CreateBlank(100, 60), 1);
    EXPECT_EQ(image.storedWidth, 60);
    EXPECT_EQ(image.storedHeight, 100);
    EXPECT_EQ(image.designWidth, 250);
    EXPECT_EQ(image.designHeight, 150);
    EXPECT_EQ(image.keyFlags, gfx::kImageKeyed);
    EXPECT_EQ(image.pixels, std::vector<uint8_t>(100 * 60 * 4, 0));
    EXPECT_EQ(image.CreateBlank(0, 60), 0);
    EXPECT_FALSE(image.HasPixels());

    gfx::ScreenBuffer screen;
    uint8_t* corner = screen.Bits() + 319 * gfx::kScreenRowBytes;  // landscape (0, 0)
    corner[0] = 1, corner[1] = 2, corner[2] = 3;
    screen.Bits()[5] = 9;  // landscape (319, 1), red
    ASSERT_EQ(image.CaptureScreen(screen), 1);
    EXPECT_EQ(image.LandscapeWidth(), 320);
    EXPECT_EQ(image.LandscapeHeight(), 240);
    EXPECT_EQ(image.keyFlags, 0u);
    EXPECT_EQ(At(image, 0, 0), (Pixel{1, 2, 3, 255}));
    EXPECT_EQ(At(image, 319, 1), (Pixel{0, 0, 9, 255}));
    EXPECT_EQ(At(image, 100, 100), (Pixel{0, 0, 0, 255}));

    // Design (10, 20, 20, 10) is landscape x 4..12, y 8..12 when every value
    // is scaled by 320 / 800.
    ASSERT_EQ(image.CreateBlank(20, 20), 1);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x)
            image.pixels[image.OffsetOf(x, y) + 3] = (x + y) % 5 ? 200 : 0;
    std::vector<uint8_t> before = image.pixels;
    image.SetAlphaInRect(10, 20, 20, 10, 77);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            uint8_t old = before[image.OffsetOf(x, y) + 3];
            bool inside = x >= 4 && x < 12 && y >= 8 && y < 12;
            EXPECT_EQ(At(image, x, y)[3], inside && old != 0 ? 77 : old) << x << "," << y;
        }
    // A rectangle reaching past the picture (landscape x -40..360, y 16..416)
    // changes only what the picture holds.
    image.SetAlphaInRect(-100, 40, 1000, 1000, 5);
    EXPECT_EQ(At(image, 19, 19)[3], 5);
    EXPECT_EQ(At(image, 0, 16)[3], 5);
    EXPECT_EQ(At(image, 4, 16)[3], 0);
    EXPECT_EQ(At(image, 1, 15)[3], 200);
    EXPECT_EQ(image.pixels.size(), before.size());
}

}  // namespace
