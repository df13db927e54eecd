#include "formats/rbp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace formats {
namespace {

ByteVector MakeFile(char version, uint32_t pixelType, uint32_t width, uint32_t height,
                    const ByteVector& pixelData, uint32_t dataOffset = kRbpHeaderSize) {
    RbpHeader header;
    header.version = version;
    header.pixelType = pixelType;
    header.width = width;
    header.height = height;
    header.dataOffset = dataOffset;
    header.designWidth = 800;
    header.designHeight = 600;
    ByteVector file;
    AppendRbpHeader(file, header);
    file.resize(dataOffset, 0xEE);
    file.insert(file.end(), pixelData.begin(), pixelData.end());
    return file;
}

ByteVector Words(const std::vector<uint16_t>& words) {
    ByteVector bytes;
    for (uint16_t word : words) AppendLe16(bytes, word);
    return bytes;
}

// Parses and decodes; fails the test on any refusal.
ByteVector Decode(const ByteVector& file, RbpKeying keying) {
    RbpHeader header;
    std::string error;
    EXPECT_TRUE(ParseRbpHeader(file, &header, &error)) << error;
    ByteVector bgra;
    EXPECT_TRUE(DecodeRbpPixels(file, header, keying, &bgra, &error)) << error;
    return bgra;
}

std::string RefusalOf(const ByteVector& file) {
    std::string error;
    RbpHeader header;
    EXPECT_FALSE(ParseRbpHeader(file, &header, &error));
    return error;
}

TEST(RbpTest, HeaderFieldsAreReadLittleEndianAndPixelsStartAtTheOffset) {
    ByteVector file = MakeFile('2', 13, 2, 2, Words({0x0001, 0x0002, 0x0003, 0x0004}), 36);
    file[20] = 0x20;  // design width 800
    file[21] = 0x03;
    file[22] = 0xFE;  // design height -2
    file[23] = 0xFF;
    RbpHeader header;
    ASSERT_TRUE(ParseRbpHeader(file, &header, nullptr));
    EXPECT_EQ(header.version, '2');
    EXPECT_EQ(header.pixelType, 13u);
    EXPECT_EQ(header.width, 2u);
    EXPECT_EQ(header.height, 2u);
    EXPECT_EQ(header.dataOffset, 36u);
    EXPECT_EQ(header.designWidth, 800);
    EXPECT_EQ(header.designHeight, -2);
    // Rows top to bottom, no padding: blue channels 1..4 << 3.
    ByteVector bgra = Decode(file, RbpKeying::Unkeyed);
    ASSERT_EQ(bgra.size(), 16u);
    EXPECT_EQ((ByteVector{bgra[0], bgra[4], bgra[8], bgra[12]}), (ByteVector{8, 16, 24, 32}));
}

// Channels expand by shifting only; the low bits stay zero.
TEST(RbpTest, Rgb565ExpandsByShiftAndPacksBack) {
    Rgb8 white = ExpandRgb565(0xFFFF);
    EXPECT_EQ(white.red, 248);
    EXPECT_EQ(white.green, 252);
    EXPECT_EQ(white.blue, 248);
    Rgb8 mixed = ExpandRgb565(0x8410);  // red 16, green 32, blue 16
    EXPECT_EQ(mixed.red, 128);
    EXPECT_EQ(mixed.green, 128);
    EXPECT_EQ(mixed.blue, 128);
    EXPECT_EQ(PackRgb565(255, 255, 255), 0xFFFF);
    EXPECT_EQ(PackRgb565(0x07, 0x03, 0x07), 0x0000);
    for (uint32_t word = 0; word <= 0xFFFF; word += 0x0421) {
        Rgb8 c = ExpandRgb565(static_cast<uint16_t>(word));
        EXPECT_EQ(PackRgb565(c.red, c.green, c.blue), word);
    }
}

TEST(RbpTest, Type13KeyTurnsTransparentOnlyWhenKeyed) {
    ByteVector file = MakeFile('1', kRbpTypeRgb565, 3, 1, Words({0xF81F, 0xF81E, 0x07E0}));
    ByteVector keyed = Decode(file, RbpKeying::Keyed);
    ByteVector unkeyed = Decode(file, RbpKeying::Unkeyed);
    ASSERT_EQ(keyed.size(), 12u);
    EXPECT_EQ(keyed, (ByteVector{248, 0, 248, 0, 240, 0, 248, 255, 0, 252, 0, 255}));
    EXPECT_EQ(unkeyed, (ByteVector{248, 0, 248, 255, 240, 0, 248, 255, 0, 252, 0, 255}));
}

// Version '1' stores alpha as 0..63; version '2' stores it as it is.
TEST(RbpTest, AlphaFollowsTheVersionRuleForTypes11And1And0) {
    ByteVector alphaPixels;
    for (uint8_t alpha : {63, 1, 0, 200}) {
        AppendLe16(alphaPixels, 0x001F);
        alphaPixels.push_back(alpha);
    }
    for (uint32_t type : {kRbpTypeRgb565Alpha, kRbpTypeRgb565AlphaOld}) {
        ByteVector v1 = Decode(MakeFile('1', type, 2, 2, alphaPixels), RbpKeying::Keyed);
        ByteVector v2 = Decode(MakeFile('2', type, 2, 2, alphaPixels), RbpKeying::Keyed);
        ASSERT_EQ(v1.size(), 16u);
        EXPECT_EQ((ByteVector{v1[0], v1[1], v1[2]}), (ByteVector{248, 0, 0}));
        EXPECT_EQ((ByteVector{v1[3], v1[7], v1[11], v1[15]}), (ByteVector{255, 7, 0, 255}))
            << "type " << type;
        EXPECT_EQ((ByteVector{v2[3], v2[7], v2[11], v2[15]}), (ByteVector{63, 1, 0, 200}))
            << "type " << type;
    }
    ByteVector bgra = {1, 2, 3, 63, 4, 5, 6, 1};
    EXPECT_EQ(Decode(MakeFile('1', kRbpTypeBgra, 1, 2, bgra), RbpKeying::Unkeyed),
              (ByteVector{1, 2, 3, 255, 4, 5, 6, 7}));
    EXPECT_EQ(Decode(MakeFile('2', kRbpTypeBgra, 1, 2, bgra), RbpKeying::Unkeyed), bgra);
}

TEST(RbpTest, MaskGreyRule) {
    EXPECT_EQ(MaskAlphaFromRgb565(0xFFFF), 0);
    EXPECT_EQ(MaskAlphaFromRgb565(0x0000), 255);
    EXPECT_EQ(MaskAlphaFromRgb565(0x8410), 120);
    // (8 + 0 + 0) / 3 = 2, ORed with 7.
    EXPECT_EQ(MaskAlphaFromRgb565(0x0800), 248);

    ByteVector mask = MakeFile('1', kRbpTypeRgb565, 3, 1, Words({0xFFFF, 0x0000, 0x8410}));
    RbpHeader header;
    ASSERT_TRUE(ParseRbpHeader(mask, &header, nullptr));
    ByteVector alpha;
    ASSERT_TRUE(DecodeRbpMaskAlpha(mask, header, &alpha, nullptr));
    EXPECT_EQ(alpha, (ByteVector{0, 255, 120}));

    ByteVector notMask = MakeFile('2', kRbpTypeRgb565Alpha, 1, 1, {0, 0, 0});
    ASSERT_TRUE(ParseRbpHeader(notMask, &header, nullptr));
    std::string error;
    EXPECT_FALSE(DecodeRbpMaskAlpha(notMask, header, &alpha, &error));
    EXPECT_EQ(error, "mask is not of pixel type 13");
}

TEST(RbpTest, Type13EncoderKeysTransparentPixelsAndNudgesOpaqueMagenta) {
    ByteVector bgra = {
        255, 0,   255, 255,  // opaque magenta: must not become the key
        250, 1,   250, 200,  // packs to 0xF81F too
        10,  20,  30,  127,  // mostly transparent: the key
        0,   255, 0,   128,  // just opaque enough
    };
    ByteVector file;
    ASSERT_TRUE(EncodeRbpType13(bgra, 2, 2, 5, 6, &file, nullptr));
    ASSERT_EQ(file.size(), kRbpHeaderSize + 8);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "MBP1");
    RbpHeader header;
    ASSERT_TRUE(ParseRbpHeader(file, &header, nullptr));
    EXPECT_EQ(header.pixelType, kRbpTypeRgb565);
    EXPECT_EQ(header.dataOffset, 32u);
    EXPECT_EQ(header.designWidth, 5);
    EXPECT_EQ(header.designHeight, 6);
    EXPECT_EQ(ReadLe32(file, 24), 0u);
    EXPECT_EQ(ReadLe32(file, 28), 0u);
    EXPECT_EQ(ReadLe16(file, 32), 0xF81E);
    EXPECT_EQ(ReadLe16(file, 34), 0xF81E);
    EXPECT_EQ(ReadLe16(file, 36), kRbpKeyColour);
    EXPECT_EQ(ReadLe16(file, 38), 0x07E0);
}

TEST(RbpTest, EncodersRoundTripThroughTheDecoder) {
    // Colours already on the RGB565 grid survive exactly.
    ByteVector bgra = testing_support::RandomBytes(7 * 5 * 4, 42);
    for (size_t i = 0; i < bgra.size(); i += 4) {
        bgra[i] &= 0xF8;
        bgra[i + 1] &= 0xFC;
        bgra[i + 2] &= 0xF8;
    }

    ByteVector type11;
    ASSERT_TRUE(EncodeRbpType11(bgra, 7, 5, 17, 12, &type11, nullptr));
    EXPECT_EQ(std::string(type11.begin(), type11.begin() + 4), "MBP2");
    EXPECT_EQ(type11.size(), kRbpHeaderSize + 7 * 5 * 3);
    EXPECT_EQ(Decode(type11, RbpKeying::Keyed), bgra);

    ByteVector type13;
    ASSERT_TRUE(EncodeRbpType13(bgra, 7, 5, 17, 12, &type13, nullptr));
    ByteVector decoded = Decode(type13, RbpKeying::Keyed);
    ASSERT_EQ(decoded.size(), bgra.size());
    for (size_t i = 0; i < bgra.size(); i += 4) {
        SCOPED_TRACE(i / 4);
        if (bgra[i + 3] < 128) {
            EXPECT_EQ(decoded[i + 3], 0);
        } else {
            EXPECT_EQ(decoded[i + 3], 255);
            bool magenta = bgra[i] == 248 && bgra[i + 1] == 0 && bgra[i + 2] == 248;
            EXPECT_EQ(decoded[i], magenta ? 240 : bgra[i]);
            EXPECT_EQ(decoded[i + 1], bgra[i + 1]);
            EXPECT_EQ(decoded[i + 2], bgra[i + 2]);
        }
    }
}

TEST(RbpTest, EncodersRefuseMismatchedBuffers) {
    ByteVector out;
    std::string error;
    ByteVector pixels(8);
    const std::string mismatch = "pixel buffer does not match the picture size";
    EXPECT_FALSE(EncodeRbpType13(pixels, 3, 1, 0, 0, &out, &error));
    EXPECT_EQ(error, mismatch);
    EXPECT_FALSE(EncodeRbpType11(pixels, 0, 2, 0, 0, &out, &error));
    EXPECT_EQ(error, "picture has no pixels");
    // 2^62 pixels, whose byte count wraps to 0 in 64 bits.
    EXPECT_FALSE(EncodeRbpType11(pixels, 0x80000000u, 0x80000000u, 0, 0, &out, &error));
    EXPECT_EQ(error, mismatch);
}

TEST(RbpTest, BadHeadersAreRefusedWithAReason) {
    ByteVector good = MakeFile('2', kRbpTypeRgb565, 2, 2, Words({1, 2, 3, 4}));
    ASSERT_TRUE(ParseRbpHeader(good, nullptr, nullptr));

    EXPECT_EQ(RefusalOf(ByteVector(good.begin(), good.begin() + 31)),
              "file too short for its header");
    for (size_t at : {0, 1, 2}) {
        ByteVector bad = good;
        bad[at] = 'X';
        EXPECT_EQ(RefusalOf(bad), "not an RBP file (bad magic)") << at;
    }
    ByteVector bad = good;
    bad[3] = '3';
    EXPECT_EQ(RefusalOf(bad), "unknown version character");
    EXPECT_EQ(RefusalOf(MakeFile('2', 12, 2, 2, ByteVector(64))), "unknown pixel type");
    EXPECT_EQ(RefusalOf(MakeFile('2', kRbpTypeRgb565, 0, 2, ByteVector(8))),
              "picture has no pixels");
    EXPECT_EQ(RefusalOf(MakeFile('2', kRbpTypeRgb565, 2, 0, ByteVector(8))),
              "picture has no pixels");
    // An offset inside the header would decode header bytes as pixels.
    EXPECT_EQ(RefusalOf(MakeFile('2', kRbpTypeRgb565, 1, 1, ByteVector(8), 31)),
              "pixel data offset lies inside the header");
}

// Sizes and offsets from the file are checked against the bytes present
// before anything is read or allocated.
TEST(RbpTest, HostileSizesAndOffsetsAreRefused) {
    const std::string truncated = "pixel data runs past the end of the file";
    // One byte short, for every pixel size.
    EXPECT_EQ(RefusalOf(MakeFile('2', kRbpTypeRgb565, 2, 2, ByteVector(7))), truncated);
    EXPECT_EQ(RefusalOf(MakeFile('2', kRbpTypeRgb565Alpha, 2, 2, ByteVector(11))), truncated);
    EXPECT_EQ(RefusalOf(MakeFile('1', kRbpTypeBgra, 2, 2, ByteVector(15))), truncated);
    // width x height x 4 overflows 32 and even 64 bits.
    EXPECT_EQ(RefusalOf(MakeFile('2', kRbpTypeBgra, 0xFFFFFFFFu, 0xFFFFFFFFu, ByteVector(16))),
              truncated);
    EXPECT_EQ(RefusalOf(MakeFile('2', kRbpTypeRgb565, 0x80000000u, 2, ByteVector(16))), truncated);
    EXPECT_EQ(RefusalOf(MakeFile('2', kRbpTypeRgb565, 0x10000u, 0x10000u, ByteVector(16))),
              truncated);
    // Offsets past the end, including one whose sum with the size would wrap.
    ByteVector file = MakeFile('2', kRbpTypeRgb565, 1, 1, Words({0}));
    StoreLe32(&file[16], 0xFFFFFFFFu);
    EXPECT_EQ(RefusalOf(file), "pixel data starts past the end of the file");
    StoreLe32(&file[16], 34);
    EXPECT_EQ(RefusalOf(file), truncated);
    StoreLe32(&file[16], 33);
    EXPECT_EQ(RefusalOf(file), truncated);

    // A header built by hand is checked again by the decoder.
    RbpHeader header;
    ASSERT_TRUE(ParseRbpHeader(MakeFile('2', kRbpTypeRgb565, 1, 1, Words({0})), &header, nullptr));
    header.height = 0x40000000u;
    ByteVector bgra;
    std::string error;
    EXPECT_FALSE(DecodeRbpPixels(file, header, RbpKeying::Keyed, &bgra, &error));
    EXPECT_EQ(error, truncated);
    error.clear();
    EXPECT_FALSE(DecodeRbpMaskAlpha(file, header, &bgra, &error));
    EXPECT_EQ(error, truncated);
}

}  // namespace
}  // namespace formats
