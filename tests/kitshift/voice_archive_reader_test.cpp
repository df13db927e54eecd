// "voice.dat": every record offset is checked before its data is used.

#include "kitshift/voice_archive_reader.h"

#include <gtest/gtest.h>

#include "sample/pc_title/pcm_writer.h"

namespace kitshift {
namespace {

using formats::ByteVector;

ByteVector ThreeRecords() {
    return pc_title::WriteVoiceDat({{"a01.pcm", {1, 2, 3}}, {"a02.wav", {}}, {"a03.pcm", {4, 5}}});
}

void SetOffset(ByteVector& file, size_t record, uint32_t offset) {
    formats::StoreLe32(file.data() + 4 + kVoiceRecordSize * record + kVoiceNameSize, offset);
}

TEST(VoiceArchiveReaderTest, WriterAndReaderAgreeOnNamesAndData) {
    ByteVector file = ThreeRecords();
    VoiceIndex index;
    ASSERT_EQ(ReadVoiceIndex(file, &index), 1);
    ASSERT_EQ(index.records.size(), 3u);
    EXPECT_TRUE(index.problems.empty());
    EXPECT_EQ(index.records[0].name, "a01.pcm");
    EXPECT_EQ(index.records[1].name, "a02.wav");
    ByteVector first(VoiceRecordData(file, index.records[0]).begin(),
                     VoiceRecordData(file, index.records[0]).end());
    EXPECT_EQ(first, (ByteVector{1, 2, 3}));
    EXPECT_TRUE(index.records[1].valid);
    EXPECT_EQ(index.records[1].size, 0u);
    EXPECT_EQ(index.records[2].size, 2u);  // the last one runs to the end of the file
}

// A 48-byte name without its NUL stays inside its field.
TEST(VoiceArchiveReaderTest, NameFillingItsFieldIsCutAtFortyEightBytes) {
    ByteVector file = ThreeRecords();
    std::fill(file.begin() + 4, file.begin() + 4 + kVoiceNameSize, 'x');
    VoiceIndex index;
    ASSERT_EQ(ReadVoiceIndex(file, &index), 1);
    EXPECT_EQ(index.records[0].name, std::string(48, 'x'));
}

TEST(VoiceArchiveReaderTest, OffsetsOutOfRangeAreReportedAndSkipped) {
    for (uint32_t bad : {0u, 20u, 0xFFFFFFF0u}) {  // in the count, in the table, past the end
        ByteVector file = ThreeRecords();
        SetOffset(file, 1, bad);
        VoiceIndex index;
        ASSERT_EQ(ReadVoiceIndex(file, &index), 1);
        ASSERT_EQ(index.records.size(), 3u);  // places are kept
        EXPECT_FALSE(index.records[1].valid);
        EXPECT_TRUE(VoiceRecordData(file, index.records[1]).empty());
        EXPECT_EQ(index.problems.size(), 1u);
        EXPECT_EQ(index.records[0].size, 3u);  // the neighbours keep their data
        EXPECT_EQ(index.records[2].size, 2u);
    }
}

// A record pointing back before its predecessor would hand out a negative
// size; it is skipped and the predecessor runs to the next good record.
TEST(VoiceArchiveReaderTest, DecreasingOffsetIsReportedAndSkipped) {
    ByteVector file = ThreeRecords();
    uint32_t firstOffset = 4 + 3 * kVoiceRecordSize;
    SetOffset(file, 1, firstOffset + 3);
    SetOffset(file, 2, firstOffset + 1);
    VoiceIndex index;
    ASSERT_EQ(ReadVoiceIndex(file, &index), 1);
    EXPECT_TRUE(index.records[1].valid);
    EXPECT_FALSE(index.records[2].valid);
    ASSERT_EQ(index.problems.size(), 1u);
    EXPECT_NE(index.problems[0].find("a03.pcm"), std::string::npos);
    EXPECT_EQ(index.records[0].size, 3u);
    EXPECT_EQ(index.records[1].size, 2u);
}

TEST(VoiceArchiveReaderTest, CountBeyondTheTableKeepsTheRecordsThatAreThere) {
    ByteVector file = ThreeRecords();
    formats::StoreLe32(file.data(), 1000000);
    VoiceIndex index;
    ASSERT_EQ(ReadVoiceIndex(file, &index), 1);
    EXPECT_FALSE(index.problems.empty());
    EXPECT_LE(index.records.size(), (file.size() - 4) / kVoiceRecordSize);
    for (const VoiceRecord& record : index.records) {
        EXPECT_LE(record.offset + uint64_t{record.size}, file.size());
    }
    EXPECT_EQ(ReadVoiceIndex(ByteVector{1, 0}, &index), 0);
}

}  // namespace
}  // namespace kitshift
