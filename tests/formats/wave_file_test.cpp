// The RIFF WAVE writer and the two ways the chunk walk takes a chunk that
// runs past the end (the walk's hostile-input cases are with the engine's
// sound tests).

#include "formats/wave_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using formats::ByteVector;
using formats::WaveChunkEnds;
using formats::WaveInfo;

formats::WaveFormatFields Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    formats::WaveFormatFields format;
    format.formatTag = tag;
    format.channels = channels;
    format.sampleRate = rate;
    format.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    format.bytesPerSecond = rate * format.blockAlign;
    format.bitsPerSample = bits;
    return format;
}

// The canonical header, byte for byte, and what the walk reads back from it.
TEST(WaveHeaderWriting, CanonicalHeaderReadsBack) {
    const ByteVector samples = {1, 2, 3, 4, 5, 6, 7, 8};
    const ByteVector file = formats::BuildWaveFile(Format(1, 2, 22050, 16), samples);
    const ByteVector expectedHeader = {'R', 'I', 'F',  'F',  44,  0,   0,    0,    'W', 'A', 'V',
                                       'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                       2,   0,   0x22, 0x56, 0,   0,   0x88, 0x58, 1,   0,   4,
                                       0,   16,  0,    'd',  'a', 't', 'a',  8,    0,   0,   0};
    ASSERT_EQ(file.size(), formats::kWaveHeaderBytes + samples.size());
    EXPECT_EQ(ByteVector(file.begin(), file.begin() + 44), expectedHeader);

    WaveInfo info;
    ASSERT_EQ(formats::ParseWaveFile(file, &info), 1);
    EXPECT_EQ(info.formatTag, 1);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.sampleRate, 22050u);
    EXPECT_EQ(info.bytesPerSecond, 88200u);
    EXPECT_EQ(info.blockAlign, 4);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.formatExtraSize, 0u);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, samples.size());
}

// A data chunk claiming more than the file holds: the engine refuses the
// file, the converter keeps the samples that are there.
TEST(WaveChunkEndsTest, CutDataChunkIsRefusedOrKept) {
    ByteVector file = formats::BuildWaveFile(Format(1, 1, 8000, 8), ByteVector(10, 0x80));
    formats::StoreLe32(file.data() + 40, 1000);
    WaveInfo info;
    EXPECT_EQ(formats::ParseWaveFile(file, &info, WaveChunkEnds::kRefuse), 0);
    ASSERT_EQ(formats::ParseWaveFile(file, &info, WaveChunkEnds::kCutToBytes), 1);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, 10u);
}

// Zero channels are the caller's to judge when chunks are cut; the extra
// bytes of a compressed coding are found, and cut to their chunk.
TEST(WaveChunkEndsTest, FormatJudgedByTheCallerAndExtraBytesFound) {
    ByteVector file = formats::BuildWaveFile(Format(1, 0, 8000, 16), ByteVector(4, 0));
    WaveInfo info;
    EXPECT_EQ(formats::ParseWaveFile(file, &info, WaveChunkEnds::kRefuse), 0);
    ASSERT_EQ(formats::ParseWaveFile(file, &info, WaveChunkEnds::kCutToBytes), 1);
    EXPECT_EQ(info.channels, 0);

    // A 22-byte "fmt " chunk whose extra count (32) claims more than its 4 bytes.
    ByteVector chunked = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    formats::AppendLe32(chunked, 22);
    const auto header = formats::WaveHeader(Format(2, 1, 8000, 4), 0);
    chunked.insert(chunked.end(), header.begin() + 20, header.begin() + 36);
    formats::AppendLe16(chunked, 32);
    chunked.insert(chunked.end(), {0xA1, 0xA2, 0xA3, 0xA4});
    chunked.insert(chunked.end(), {'d', 'a', 't', 'a', 2, 0, 0, 0, 9, 9});
    formats::StoreLe32(chunked.data() + 4, static_cast<uint32_t>(chunked.size() - 8));
    for (WaveChunkEnds ends : {WaveChunkEnds::kRefuse, WaveChunkEnds::kCutToBytes}) {
        ASSERT_EQ(formats::ParseWaveFile(chunked, &info, ends), 1);
        EXPECT_EQ(info.formatTag, 2);
        ASSERT_EQ(info.formatExtraSize, 4u);
        EXPECT_EQ(chunked[info.formatExtraOffset], 0xA1);
        EXPECT_EQ(info.dataSize, 2u);
    }
}

}  // namespace
