// mirtool crx topng through its command line, on a hand-made LZ-scheme file.

#include <gtest/gtest.h>

#include <string>

#include "formats/byte_io.h"
#include "test_support.h"

namespace {

using formats::ByteVector;
using testing_support::MirtoolCommand;
using testing_support::ReadHostFile;
using testing_support::RunCommand;
using testing_support::TempDir;
using testing_support::WriteHostFile;

uint32_t ReadBe32(const ByteVector& bytes, size_t at) {
    return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
           (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

TEST(CrxCommand, TopngWritesThePictureAndRefusesBrokenFiles) {
    TempDir dir;
    // 3 x 2, 24-bit, LZ scheme: one magenta literal pixel, then a copy of 15
    // bytes at distance 3.
    ByteVector crx(8, 0);
    formats::AppendLe16(crx, 3);
    formats::AppendLe16(crx, 2);
    formats::AppendLe16(crx, 1);
    formats::AppendLe16(crx, 0);
    formats::AppendLe32(crx, 0);
    crx.insert(crx.end(), {0x07, 255, 0, 255, 0xEC, 0x03});
    WriteHostFile(dir / "pic.crx", crx);
    auto result = RunCommand(MirtoolCommand() + " crx topng " + (dir / "pic.crx").string() + " " +
                             (dir / "pic.png").string());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    ByteVector png = ReadHostFile(dir / "pic.png");
    ASSERT_GE(png.size(), 26u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(ReadBe32(png, 16), 3u);  // IHDR width
    EXPECT_EQ(ReadBe32(png, 20), 2u);  // IHDR height
    EXPECT_EQ(png[25], 2);             // colour type RGB: magenta stays a colour

    crx.resize(crx.size() - 1);  // the copy loses its distance
    WriteHostFile(dir / "cut.crx", crx);
    result = RunCommand(MirtoolCommand() + " crx topng " + (dir / "cut.crx").string() + " " +
                        (dir / "cut.png").string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("cut.crx"), std::string::npos) << result.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "cut.png"));
}

}  // namespace
