#include "common/short_pcm_file.h"

#include <gtest/gtest.h>

#include "formats/byte_io.h"

namespace {

TEST(ShortPcmFileTest, HeaderFieldsAndPcmSitWhereTheReaderLooks) {
    common::WaveFormat format;
    format.formatTag = 1;
    format.channels = 2;
    format.samplesPerSecond = 22050;
    format.averageBytesPerSecond = 88200;
    format.blockAlign = 4;
    format.bitsPerSample = 16;
    format.extraSize = 0x1234;
    std::vector<uint8_t> pcm = {1, 2, 3, 4, 5, 6, 7};
    std::vector<uint8_t> file = common::ShortPcmFile::Build(format, pcm);
    ASSERT_EQ(file.size(), 64u + pcm.size());
    formats::ByteSpan bytes(file);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "MWF0");
    EXPECT_EQ(formats::ReadLe32(bytes, 4), 3u);
    EXPECT_EQ(formats::ReadLe32(bytes, 8), 64u);
    EXPECT_EQ(formats::ReadLe32(bytes, 12), pcm.size());
    for (size_t i = 16; i < 40; ++i) EXPECT_EQ(file[i], 0) << "offset " << i;
    EXPECT_EQ(formats::ReadLe16(bytes, 40), 1);
    EXPECT_EQ(formats::ReadLe16(bytes, 42), 2);
    EXPECT_EQ(formats::ReadLe32(bytes, 44), 22050u);
    EXPECT_EQ(formats::ReadLe32(bytes, 48), 88200u);
    EXPECT_EQ(formats::ReadLe16(bytes, 52), 4);
    EXPECT_EQ(formats::ReadLe16(bytes, 54), 16);
    EXPECT_EQ(formats::ReadLe16(bytes, 56), 0x1234);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 64, file.end()), pcm);
}

TEST(ShortPcmFileTest, EmptyPcmGivesTheBareHeader) {
    std::vector<uint8_t> file = common::ShortPcmFile::Build(common::WaveFormat{}, {});
    ASSERT_EQ(file.size(), 64u);
    EXPECT_EQ(formats::ReadLe32(formats::ByteSpan(file), 12), 0u);
}

}  // namespace
