// mirtool crx topng through its command line, on a hand-made LZ-scheme file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/byte_io.h"
#include "platform/png_picture.h"
#include "test_support.h"

namespace {

using formats::ByteVector;
using testing_support::MirtoolCommand;
using testing_support::ReadHostFile;
using testing_support::RunCommand;
using testing_support::TempDir;
using testing_support::WriteHostFile;

TEST(CrxCommand, TopngWritesThePictureAndRefusesBrokenFiles) {
    TempDir dir;
    // 3 x 2, 24-bit, LZ scheme, all literals: each pixel's blue, green and
    // red differ and no two pixels are alike, so a swapped channel or a
    // mirrored row shows. The last pixel is magenta, which stays a colour.
    ByteVector crx(8, 0);
    formats::AppendLe16(crx, 3);
    formats::AppendLe16(crx, 2);
    formats::AppendLe16(crx, 1);
    formats::AppendLe16(crx, 0);
    formats::AppendLe32(crx, 0);
    crx.insert(crx.end(), {0xFF, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80,  // flags, 8 bytes
                           0xFF, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0xFF,  // flags, 8 bytes
                           0x03, 0x00, 0xFF});                                    // flags, 2 bytes
    WriteHostFile(dir / "pic.crx", crx);
    auto result = RunCommand(MirtoolCommand() + " crx topng " + (dir / "pic.crx").string() + " " +
                             (dir / "pic.png").string());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    testing_support::RgbPicture png = testing_support::ReadPngPicture((dir / "pic.png").string());
    ASSERT_EQ(png.width, 3u);
    ASSERT_EQ(png.height, 2u);
    EXPECT_EQ(ReadHostFile(dir / "pic.png").at(25), 2);  // colour type RGB, no alpha
    std::vector<uint32_t> pixels;                        // 0xRRGGBB, rows from the top
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x) pixels.push_back(png.At(x, y));
    EXPECT_EQ(pixels,
              (std::vector<uint32_t>{0x302010, 0x605040, 0x908070, 0xC0B0A0, 0xF0E0D0, 0xFF00FF}));

    crx.resize(crx.size() - 1);  // the last literal is missing
    WriteHostFile(dir / "cut.crx", crx);
    result = RunCommand(MirtoolCommand() + " crx topng " + (dir / "cut.crx").string() + " " +
                        (dir / "cut.png").string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("cut.crx"), std::string::npos) << result.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "cut.png"));
}

}  // namespace
