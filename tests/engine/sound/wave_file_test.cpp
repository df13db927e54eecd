// The RIFF WAVE chunk walk and its acceptance rules on hostile input.

#include "formats/wave_file.h"

#include <gtest/gtest.h>

#include "sound_fakes.h"

namespace {

using formats::ParseWaveFile;
using formats::WaveInfo;
using sound_test::AppendChunk;
using sound_test::FormatBody;
using sound_test::Riff;

std::vector<uint8_t> Bytes(size_t count, uint8_t value) {
    return std::vector<uint8_t>(count, value);
}

TEST(WaveFileTest, ReadsFormatAndDataAfterOtherChunks) {
    std::vector<uint8_t> chunks;
    AppendChunk(chunks, "LIST", Bytes(3, 'x'));  // odd size: padded
    AppendChunk(chunks, "fmt ", FormatBody(1, 44100, 16));
    AppendChunk(chunks, "fmt ", FormatBody(2, 8000, 8));  // a later one is ignored
    AppendChunk(chunks, "data", Bytes(6, 1));
    std::vector<uint8_t> file = Riff(chunks);
    WaveInfo info;
    ASSERT_EQ(ParseWaveFile(file, &info), 1);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.sampleRate, 44100u);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.dataSize, 6u);
    EXPECT_EQ(info.dataOffset, file.size() - 6);
}

TEST(WaveFileTest, EmptyDataChunkGivesWayToALaterOne) {
    std::vector<uint8_t> chunks;
    AppendChunk(chunks, "fmt ", FormatBody(2, 22050, 16));
    AppendChunk(chunks, "data", {});
    AppendChunk(chunks, "data", Bytes(8, 2));
    std::vector<uint8_t> file = Riff(chunks);
    WaveInfo info;
    ASSERT_EQ(ParseWaveFile(file, &info), 1);
    EXPECT_EQ(info.dataSize, 8u);
    EXPECT_EQ(info.dataOffset, file.size() - 8);

    // Only an empty data chunk: nothing to play.
    std::vector<uint8_t> emptyOnly;
    AppendChunk(emptyOnly, "fmt ", FormatBody(2, 22050, 16));
    AppendChunk(emptyOnly, "data", {});
    AppendChunk(emptyOnly, "LIST", Bytes(4, 0));
    EXPECT_EQ(ParseWaveFile(Riff(emptyOnly), &info), 0);
}

TEST(WaveFileTest, RefusesMissingOrUnusableFormat) {
    WaveInfo info;
    std::vector<uint8_t> noFormat;
    AppendChunk(noFormat, "data", Bytes(8, 0));
    EXPECT_EQ(ParseWaveFile(Riff(noFormat), &info), 0);

    std::vector<uint8_t> shortFormat;
    AppendChunk(shortFormat, "fmt ", Bytes(13, 1));
    AppendChunk(shortFormat, "data", Bytes(8, 0));
    EXPECT_EQ(ParseWaveFile(Riff(shortFormat), &info), 0);

    for (auto body : {FormatBody(0, 22050, 16), FormatBody(2, 0, 16)}) {
        std::vector<uint8_t> chunks;
        AppendChunk(chunks, "fmt ", body);
        AppendChunk(chunks, "data", Bytes(8, 0));
        EXPECT_EQ(ParseWaveFile(Riff(chunks), &info), 0);
    }

    // The 14-byte block has no bits field: reported as 0, not read from
    // the bytes that follow the chunk.
    std::vector<uint8_t> oldFormat;
    std::vector<uint8_t> body = FormatBody(2, 22050, 16);
    body.resize(14);
    AppendChunk(oldFormat, "fmt ", body);
    AppendChunk(oldFormat, "data", Bytes(8, 0));
    ASSERT_EQ(ParseWaveFile(Riff(oldFormat), &info), 1);
    EXPECT_EQ(info.bitsPerSample, 0);
}

TEST(WaveFileTest, RefusesBadHeadersAndTruncatedChunks) {
    WaveInfo info;
    std::vector<uint8_t> good;
    AppendChunk(good, "fmt ", FormatBody(2, 22050, 16));
    AppendChunk(good, "data", Bytes(8, 0));
    std::vector<uint8_t> file = Riff(good);

    std::vector<uint8_t> notRiff = file;
    notRiff[0] = 'X';
    EXPECT_EQ(ParseWaveFile(notRiff, &info), 0);
    std::vector<uint8_t> notWave = file;
    notWave[8] = 'X';
    EXPECT_EQ(ParseWaveFile(notWave, &info), 0);
    EXPECT_EQ(ParseWaveFile(std::span(file).first(11), &info), 0);

    // Data chunk claims more than the file holds.
    std::vector<uint8_t> longData;
    AppendChunk(longData, "fmt ", FormatBody(2, 22050, 16));
    AppendChunk(longData, "data", Bytes(8, 0), 0xFFFFFFF0u);
    EXPECT_EQ(ParseWaveFile(Riff(longData), &info), 0);
    // A cut file: the data chunk loses its last bytes.
    EXPECT_EQ(ParseWaveFile(std::span(file).first(file.size() - 1), &info), 0);
    // A huge unknown chunk before the format.
    std::vector<uint8_t> hugeChunk;
    AppendChunk(hugeChunk, "junk", Bytes(2, 0), 0x7FFFFFFFu);
    EXPECT_EQ(ParseWaveFile(Riff(hugeChunk), &info), 0);
}

// The walk ends at the RIFF size when it is smaller than the file, and at the
// file's end when the RIFF size claims more.
TEST(WaveFileTest, RiffSizeBoundsTheWalkEitherWay) {
    std::vector<uint8_t> chunks;
    AppendChunk(chunks, "fmt ", FormatBody(2, 22050, 16));
    AppendChunk(chunks, "data", Bytes(8, 0));
    std::vector<uint8_t> file = Riff(chunks);
    WaveInfo info;
    formats::StoreLe32(file.data() + 4, 0xFFFFFFFFu);
    EXPECT_EQ(ParseWaveFile(file, &info), 1);
    formats::StoreLe32(file.data() + 4, 4 + 24);  // covers "fmt " only
    EXPECT_EQ(ParseWaveFile(file, &info), 0);
}

}  // namespace
