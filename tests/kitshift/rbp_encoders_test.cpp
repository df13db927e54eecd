// The four RBP conversions (box sizes, sampling positions, key and alpha
// handling, header fields) and the per-file selection rule.

#include "kitshift/rbp_encoders.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/rbp.h"
#include "test_support.h"

namespace {

using formats::ByteVector;
using formats::ReadLe16;
using kitshift::CrxScheme;
using kitshift::SourcePicture;

constexpr uint8_t kMagenta[3] = {255, 0, 255};

SourcePicture Filled(uint32_t width, uint32_t height, const uint8_t bgr[3]) {
    SourcePicture picture;
    picture.width = width;
    picture.height = height;
    for (uint32_t i = 0; i < width * height; ++i)
        picture.pixels.insert(picture.pixels.end(), bgr, bgr + 3);
    return picture;
}

void SetPixel(SourcePicture& picture, uint32_t x, uint32_t y, uint8_t blue, uint8_t green,
              uint8_t red) {
    uint8_t* pixel = picture.pixels.data() + (size_t{y} * picture.width + x) * 3;
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
}

// Parses the result with the engine's own reader, so every output is a
// well-formed file.
formats::RbpHeader Parse(const ByteVector& file) {
    formats::RbpHeader header;
    std::string error;
    EXPECT_TRUE(formats::ParseRbpHeader(file, &header, &error)) << error;
    return header;
}

uint16_t Word565(const ByteVector& file, size_t index) {
    return ReadLe16(file, 32 + index * 2);
}
uint16_t WordAlpha(const ByteVector& file, size_t index) {
    return ReadLe16(file, 32 + index * 3);
}
uint8_t Alpha(const ByteVector& file, size_t index) {
    return file[32 + index * 3 + 2];
}

TEST(RbpEncoders, OpaqueShrinksToTwoFifthsAndKeepsTheDesignSize) {
    const uint8_t colour[3] = {0x10, 0x84, 0xF0};
    ByteVector file;
    ASSERT_TRUE(kitshift::EncodeRbpOpaque(Filled(800, 600, colour), &file, nullptr));
    formats::RbpHeader header = Parse(file);
    EXPECT_EQ(header.version, '1');
    EXPECT_EQ(header.pixelType, formats::kRbpTypeRgb565);
    EXPECT_EQ(header.width, 320u);
    EXPECT_EQ(header.height, 240u);
    EXPECT_EQ(header.designWidth, 800);
    EXPECT_EQ(header.designHeight, 600);
    ASSERT_EQ(file.size(), 32u + 320 * 240 * 2);
    EXPECT_EQ(Word565(file, 0), formats::PackRgb565(0xF0, 0x84, 0x10));
    EXPECT_EQ(Word565(file, 320 * 240 - 1), formats::PackRgb565(0xF0, 0x84, 0x10));
}

TEST(RbpEncoders, OpaqueBoxesSkipMagentaAndPixelsOutside) {
    // 5 x 5 -> 2 x 2 with step 2.5: 3 x 3 boxes at columns and rows 0 and 2.
    SourcePicture picture = Filled(5, 5, kMagenta);
    SetPixel(picture, 1, 1, 255, 255, 255);
    ByteVector file;
    ASSERT_TRUE(kitshift::EncodeRbpOpaque(picture, &file, nullptr));
    EXPECT_EQ(Parse(file).width, 2u);
    EXPECT_EQ(Word565(file, 0), 0xFFFF);  // one white among eight magenta
    EXPECT_EQ(Word565(file, 3), formats::kRbpKeyColour);

    // 3 wide -> 1 wide, step 3072: the box spans columns 0 to 3 and rows 0 to
    // 3, of which only the 3 x 3 inside count.
    SourcePicture small = Filled(3, 3, kMagenta);
    for (uint32_t i = 0; i < 9; ++i)
        SetPixel(small, i % 3, i / 3, 0, 0, static_cast<uint8_t>(i * 20));
    ASSERT_TRUE(kitshift::EncodeRbpOpaque(small, &file, nullptr));
    EXPECT_EQ(Parse(file).width, 1u);
    EXPECT_EQ(Word565(file, 0), formats::PackRgb565(80, 0, 0));  // 720 / 9
}

TEST(RbpEncoders, OpaqueFullKeepsTheSizeAndKeysMagenta) {
    const uint8_t grey[3] = {0x80, 0x80, 0x80};
    SourcePicture picture = Filled(2, 2, grey);
    SetPixel(picture, 1, 0, 255, 0, 255);
    picture.bitsPerPixel = 8;
    ByteVector file;
    ASSERT_TRUE(kitshift::EncodeRbpOpaqueFull(picture, &file, nullptr));
    formats::RbpHeader header = Parse(file);
    EXPECT_EQ(header.width, 2u);
    EXPECT_EQ(header.designWidth, 2);
    EXPECT_EQ(Word565(file, 0), formats::PackRgb565(0x80, 0x80, 0x80));
    EXPECT_EQ(Word565(file, 1), formats::kRbpKeyColour);
}

TEST(RbpEncoders, AlphaIsAllOrNothingAndSamplesOneBoxOn) {
    // 5 x 5 -> 2 x 2, 2 x 2 boxes. Red at (3, 3) with three magenta around it
    // lies in output pixel 0's box (one box on).
    SourcePicture picture = Filled(5, 5, kMagenta);
    SetPixel(picture, 3, 3, 0, 0, 255);
    SetPixel(picture, 0, 0, 255, 255, 255);
    ByteVector file;
    ASSERT_TRUE(kitshift::EncodeRbpAlpha(picture, &file, nullptr));
    formats::RbpHeader header = Parse(file);
    EXPECT_EQ(header.version, '2');
    EXPECT_EQ(header.pixelType, formats::kRbpTypeRgb565Alpha);
    ASSERT_EQ(file.size(), 32u + 4 * 3);
    EXPECT_EQ(WordAlpha(file, 0), 0xF800);
    EXPECT_EQ(Alpha(file, 0), 255);
    EXPECT_EQ(WordAlpha(file, 1), formats::kRbpKeyColour);
    EXPECT_EQ(Alpha(file, 1), 0);

    // LZ palette pictures sample at the pixel's own position: the white pixel.
    picture.scheme = CrxScheme::Lz;
    picture.bitsPerPixel = 8;
    ASSERT_TRUE(kitshift::EncodeRbpAlpha(picture, &file, nullptr));
    EXPECT_EQ(WordAlpha(file, 0), 0xFFFF);
    EXPECT_EQ(Alpha(file, 0), 255);
    // LZ 24-bit pictures do not.
    picture.bitsPerPixel = 24;
    ASSERT_TRUE(kitshift::EncodeRbpAlpha(picture, &file, nullptr));
    EXPECT_EQ(WordAlpha(file, 0), 0xF800);
}

TEST(RbpEncoders, BlendedCountsTransparentPixelsAsBlack) {
    SourcePicture picture = Filled(5, 5, kMagenta);
    SetPixel(picture, 2, 2, 255, 255, 255);
    SetPixel(picture, 3, 3, 255, 255, 255);
    ByteVector file;
    ASSERT_TRUE(kitshift::EncodeRbpBlended(picture, &file, nullptr));
    EXPECT_EQ(Parse(file).pixelType, formats::kRbpTypeRgb565Alpha);
    EXPECT_EQ(WordAlpha(file, 0), 0x7BEF);
    EXPECT_EQ(Alpha(file, 0), 127);
    // Output pixel 3's box covers (4, 4) only: transparent, counted, black.
    EXPECT_EQ(WordAlpha(file, 3), 0);
    EXPECT_EQ(Alpha(file, 3), 0);

    // A box wholly outside the picture: word 0 and alpha 0 for blended, the
    // key and alpha 0 for the alpha encoding.
    const uint8_t white[3] = {255, 255, 255};
    SourcePicture narrow = Filled(3, 5, white);
    ASSERT_TRUE(kitshift::EncodeRbpBlended(narrow, &file, nullptr));
    EXPECT_EQ(WordAlpha(file, 0), 0);
    EXPECT_EQ(Alpha(file, 0), 0);
    ASSERT_TRUE(kitshift::EncodeRbpAlpha(narrow, &file, nullptr));
    EXPECT_EQ(WordAlpha(file, 0), formats::kRbpKeyColour);

    picture.bitsPerPixel = 8;
    EXPECT_FALSE(kitshift::EncodeRbpBlended(picture, &file, nullptr));
}

TEST(RbpEncoders, UnsuitablePicturesAreRefusedWithoutOutput) {
    const uint8_t grey[3] = {9, 9, 9};
    ByteVector file = {1, 2};
    std::string error;
    // Under 3 pixels the shrunk picture would be empty.
    EXPECT_FALSE(kitshift::EncodeRbpOpaque(Filled(2, 10, grey), &file, &error));
    EXPECT_FALSE(kitshift::EncodeRbpAlpha(Filled(10, 2, grey), &file, &error));
    EXPECT_FALSE(kitshift::EncodeRbpBlended(Filled(1, 1, grey), &file, &error));
    EXPECT_TRUE(kitshift::EncodeRbpOpaqueFull(Filled(1, 1, grey), &file, &error)) << error;
    SourcePicture odd = Filled(4, 4, grey);
    odd.bitsPerPixel = 16;
    file = {1, 2};
    EXPECT_FALSE(kitshift::EncodeRbpOpaqueFull(odd, &file, &error));
    odd.bitsPerPixel = 24;
    odd.pixels.pop_back();
    EXPECT_FALSE(kitshift::EncodeRbpOpaque(odd, &file, &error));
    EXPECT_EQ(file, (ByteVector{1, 2}));
}

TEST(PictureSelection, ListsAndTitleDecideTheEncoding) {
    kitshift::PictureLists lists = kitshift::ParsePictureLists(
        "# comment\r\nignored.crx\n[blended]\n  chip01.crx \r\nShared.crx\n\n[alpha]\r\n"
        "msgwnd.crx\nshared.crx\n");
    ASSERT_EQ(lists.blended.size(), 2u);
    ASSERT_EQ(lists.alpha.size(), 2u);
    using kitshift::RbpConversion;
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 3, "CHIP01.CRX"), RbpConversion::Blended);
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 0, "chip01.crx"), RbpConversion::Opaque);
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 0, "MsgWnd.crx"), RbpConversion::Alpha);
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 3, "msgwnd.crx"), RbpConversion::Alpha);
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 3, "shared.crx"), RbpConversion::Blended);
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 1, "shared.crx"), RbpConversion::Alpha);
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 3, "ignored.crx"), RbpConversion::Opaque);
    // Double-byte characters compare exactly: 0x82 0x60 is not 0x82 0x80.
    lists.alpha.push_back("\x82\x60.crx");
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 0, "\x82\x80.crx"), RbpConversion::Opaque);
    EXPECT_EQ(kitshift::SelectRbpConversion(lists, 0, "\x82\x60.CRX"), RbpConversion::Alpha);
}

TEST(PictureSelection, MissingListFileMeansEmptyLists) {
    testing_support::TempDir dir;
    kitshift::PictureLists lists = kitshift::LoadPictureLists(dir / "none.txt");
    EXPECT_TRUE(lists.blended.empty());
    EXPECT_TRUE(lists.alpha.empty());
    testing_support::WriteHostFile(dir / "lists.txt", std::string("[alpha]\nsave.crx\n"));
    EXPECT_EQ(kitshift::LoadPictureLists(dir / "lists.txt").alpha.size(), 1u);
}

}  // namespace
