// mirtool rbp through its command line. PNG inputs are built here by hand
// (stored deflate blocks), so the checks do not share a PNG library with the
// code under test.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/rbp.h"
#include "test_support.h"

namespace {

using formats::ByteVector;
using testing_support::MirtoolCommand;
using testing_support::ReadHostFile;
using testing_support::RunCommand;
using testing_support::TempDir;
using testing_support::WriteHostFile;

void AppendBe32(ByteVector& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t Crc32(const ByteVector& bytes, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void AppendChunk(ByteVector& png, const std::string& type, const ByteVector& data) {
    AppendBe32(png, static_cast<uint32_t>(data.size()));
    size_t start = png.size();
    png.insert(png.end(), type.begin(), type.end());
    png.insert(png.end(), data.begin(), data.end());
    AppendBe32(png, Crc32(png, start));
}

// rows: each row's raw bytes without the filter byte. extra: chunks that go
// between IHDR and IDAT (PLTE, tRNS).
ByteVector MakePng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
                   const std::vector<ByteVector>& rows,
                   const std::vector<std::pair<std::string, ByteVector>>& extra = {}) {
    ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ByteVector header;
    AppendBe32(header, width);
    AppendBe32(header, height);
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    AppendChunk(png, "IHDR", header);
    for (const auto& [type, data] : extra) AppendChunk(png, type, data);

    ByteVector raw;
    for (const ByteVector& row : rows) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), row.begin(), row.end());
    }
    ByteVector zlib = {0x78, 0x01, 0x01};  // one final stored block
    zlib.push_back(static_cast<uint8_t>(raw.size()));
    zlib.push_back(static_cast<uint8_t>(raw.size() >> 8));
    zlib.push_back(static_cast<uint8_t>(~raw.size()));
    zlib.push_back(static_cast<uint8_t>(~raw.size() >> 8));
    zlib.insert(zlib.end(), raw.begin(), raw.end());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    AppendBe32(zlib, (b << 16) | a);
    AppendChunk(png, "IDAT", zlib);
    AppendChunk(png, "IEND", {});
    return png;
}

std::vector<uint16_t> PixelWords(const ByteVector& rbp, size_t count) {
    std::vector<uint16_t> words;
    for (size_t i = 0; i < count; ++i) words.push_back(formats::ReadLe16(rbp, 32 + 2 * i));
    return words;
}

class RbpCommandTest : public ::testing::Test {
protected:
    testing_support::CommandResult Run(const std::string& arguments) {
        return RunCommand(MirtoolCommand() + " rbp " + arguments);
    }
    std::string At(const std::string& name) { return "'" + (dir_ / name).string() + "'"; }

    TempDir dir_;
};

// Transparent PNG pixels become the key; opaque magenta must stay visible,
// and a picture that went out as PNG comes back as the same file.
TEST_F(RbpCommandTest, KeyedPictureRoundTripsThroughPng) {
    WriteHostFile(dir_ / "in.png", MakePng(3, 2, 8, 6,
                                           {
                                               {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255},
                                               {9, 9, 9, 0, 255, 0, 255, 255, 255, 255, 255, 200},
                                           }));
    auto result = Run("frompng " + At("in.png") + " " + At("a.rbp"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    ByteVector rbp = ReadHostFile(dir_ / "a.rbp");
    formats::RbpHeader header;
    ASSERT_TRUE(formats::ParseRbpHeader(rbp, &header, nullptr));
    EXPECT_EQ(std::string(rbp.begin(), rbp.begin() + 4), "MBP1");
    EXPECT_EQ(header.pixelType, 13u);
    EXPECT_EQ(header.width, 3u);
    EXPECT_EQ(header.height, 2u);
    EXPECT_EQ(header.designWidth, 7);  // 3 x 800 / 320
    EXPECT_EQ(header.designHeight, 5);
    EXPECT_EQ(PixelWords(rbp, 6),
              (std::vector<uint16_t>{0xF800, 0x07E0, 0x001F, 0xF81F, 0xF81E, 0xFFFF}));

    result = Run("topng " + At("a.rbp") + " " + At("a.png"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    result = Run("frompng " + At("a.png") + " " + At("b.rbp"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(ReadHostFile(dir_ / "b.rbp"), rbp);
}

// A PNG without any alpha marks its see-through pixels by painting them
// magenta; with alpha present, the alpha alone decides (see above).
TEST_F(RbpCommandTest, PaintedMagentaIsTheKeyOfAPictureWithoutAlpha) {
    WriteHostFile(dir_ / "rgb.png", MakePng(3, 1, 8, 2, {{255, 0, 255, 254, 0, 255, 10, 20, 30}}));
    auto result = Run("frompng " + At("rgb.png") + " " + At("rgb.rbp"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    ByteVector rbp = ReadHostFile(dir_ / "rgb.rbp");
    // Exactly (255, 0, 255) is the key; a near-magenta that packs to the key
    // colour is nudged so that it stays visible.
    EXPECT_EQ(PixelWords(rbp, 3), (std::vector<uint16_t>{0xF81F, 0xF81E, 0x08A3}));
}

TEST_F(RbpCommandTest, AlphaPictureRoundTripsThroughPng) {
    WriteHostFile(
        dir_ / "in.png",
        MakePng(2, 2, 8, 6, {{8, 16, 24, 0, 255, 255, 255, 1}, {0, 0, 0, 128, 40, 80, 120, 255}}));
    auto result = Run("frompng " + At("in.png") + " " + At("a.rbp") + " --alpha --design 100x50");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    ByteVector rbp = ReadHostFile(dir_ / "a.rbp");
    formats::RbpHeader header;
    ASSERT_TRUE(formats::ParseRbpHeader(rbp, &header, nullptr));
    EXPECT_EQ(std::string(rbp.begin(), rbp.begin() + 4), "MBP2");
    EXPECT_EQ(header.pixelType, 11u);
    EXPECT_EQ(header.designWidth, 100);
    EXPECT_EQ(header.designHeight, 50);
    ByteVector bgra;
    ASSERT_TRUE(formats::DecodeRbpPixels(rbp, header, formats::RbpKeying::Keyed, &bgra, nullptr));
    EXPECT_EQ(bgra, (ByteVector{24, 16, 8, 0, 248, 252, 248, 1, 0, 0, 0, 128, 120, 80, 40, 255}));

    result = Run("topng " + At("a.rbp") + " " + At("a.png"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    result = Run("frompng --alpha " + At("a.png") + " --design 100x50 " + At("b.rbp"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(ReadHostFile(dir_ / "b.rbp"), rbp);
}

// Palette, grey and 16-bit PNGs are widened to 8-bit RGBA before encoding.
TEST_F(RbpCommandTest, OtherPngLayoutsAreReadAsRgba) {
    WriteHostFile(
        dir_ / "palette.png",
        MakePng(4, 1, 2, 3, {{0b00011011}},
                {{"PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}}, {"tRNS", {255, 0}}}));
    auto result = Run("frompng " + At("palette.png") + " " + At("palette.rbp"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(PixelWords(ReadHostFile(dir_ / "palette.rbp"), 4),
              (std::vector<uint16_t>{0xF800, 0xF81F, 0x001F, 0xFFFF}));

    // The tRNS grey level marks the third pixel transparent.
    WriteHostFile(dir_ / "grey16.png", MakePng(3, 1, 16, 0, {{0xFF, 0xFF, 0x80, 0x00, 0x12, 0x34}},
                                               {{"tRNS", {0x12, 0x34}}}));
    result = Run("frompng " + At("grey16.png") + " " + At("grey16.rbp"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(PixelWords(ReadHostFile(dir_ / "grey16.rbp"), 3),
              (std::vector<uint16_t>{0xFFFF, 0x8410, 0xF81F}));
}

TEST_F(RbpCommandTest, InfoListsTheHeader) {
    ByteVector rbp;
    ASSERT_TRUE(formats::EncodeRbpType11(ByteVector(5 * 3 * 4), 5, 3, 12, -7, &rbp, nullptr));
    WriteHostFile(dir_ / "p.rbp", rbp);
    auto result = Run("info " + At("p.rbp"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    for (const char* line : {"magic: MBP2\n", "pixel type: 11 ", "width: 5\n", "height: 3\n",
                             "data offset: 32\n", "design size: 12 x -7\n"})
        EXPECT_NE(result.output.find(line), std::string::npos) << line << " in\n" << result.output;
}

TEST_F(RbpCommandTest, BrokenInputsFailWithTheFileNameAndWriteNothing) {
    ByteVector rbp;
    ASSERT_TRUE(formats::EncodeRbpType13(ByteVector(4 * 4 * 4), 4, 4, 10, 10, &rbp, nullptr));
    rbp.resize(rbp.size() - 1);
    WriteHostFile(dir_ / "short.rbp", rbp);
    for (const std::string& command :
         {"info " + At("short.rbp"), "topng " + At("short.rbp") + " " + At("out.png")}) {
        auto result = Run(command);
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_NE(result.output.find((dir_ / "short.rbp").string() + ": pixel data runs past"),
                  std::string::npos)
            << result.output;
    }

    ByteVector png = MakePng(2, 2, 8, 2, {ByteVector(6), ByteVector(6)});
    png.resize(png.size() - 30);  // into the IDAT chunk
    WriteHostFile(dir_ / "short.png", png);
    auto result = Run("frompng " + At("short.png") + " " + At("out.rbp"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("short.png: "), std::string::npos) << result.output;

    // A target that cannot be replaced (a folder) must not leave the
    // temporary file behind either.
    std::filesystem::create_directory(dir_ / "folder.rbp");
    WriteHostFile(dir_ / "ok.png", MakePng(1, 1, 8, 2, {ByteVector(3)}));
    result = Run("frompng " + At("ok.png") + " " + At("folder.rbp"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("folder.rbp: "), std::string::npos) << result.output;
    std::filesystem::remove(dir_ / "ok.png");
    std::filesystem::remove(dir_ / "folder.rbp");

    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
        EXPECT_TRUE(entry.path().filename() == "short.rbp" ||
                    entry.path().filename() == "short.png")
            << "left behind: " << entry.path();
}

TEST_F(RbpCommandTest, WrongUsageExitsWithTwo) {
    EXPECT_EQ(Run("").exitCode, 2);
    EXPECT_EQ(Run("info").exitCode, 2);
    EXPECT_EQ(Run("frompng a.png").exitCode, 2);
    EXPECT_EQ(Run("frompng a.png b.rbp --design 12").exitCode, 2);
    EXPECT_EQ(Run("frompng a.png b.rbp --design 40000x10").exitCode, 2);
    EXPECT_EQ(Run("frompng a.png b.rbp --bogus").exitCode, 2);
}

}  // namespace
