#include "formats/mlz_archive.h"

#include <gtest/gtest.h>

#include "formats/archive_reader.h"
#include "formats/sjis.h"
#include "platform/device_file.h"
#include "platform/device_path.h"
#include "test_support.h"

namespace {

using formats::ByteVector;
using formats::MlzMethod;

ByteVector Text(const std::string& text) {
    return ByteVector(text.begin(), text.end());
}

ByteVector BuildArchive(const std::vector<std::pair<std::string, ByteVector>>& entries,
                        MlzMethod method = MlzMethod::kLzss) {
    formats::MlzArchiveBuilder builder;
    for (const auto& [name, data] : entries) {
        std::string error;
        EXPECT_TRUE(builder.AddEntry(name, data, method, &error)) << error;
    }
    return builder.Finish();
}

class ArchiveReaderTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const ByteVector& bytes) {
        testing_support::WriteHostFile(dir_ / name, bytes);
        return platform::HostToDevicePath((dir_ / name).string());
    }
    testing_support::TempDir dir_;
    formats::ArchiveReader reader_{platform::DeviceFileOpener()};
};

TEST_F(ArchiveReaderTest, ReadsStoredAndCompressedEntries) {
    ByteVector picture = testing_support::RandomBytes(5000, 1);
    ByteVector script(3000, 'Q');
    ByteVector archive =
        BuildArchive({{"GameData\\char\\a.rbp", picture}, {"GameData\\sinario\\s.MES", script}});
    std::string path = Write("grpack.mlz", archive);

    const formats::MlzDirectory* directory = reader_.OpenDirectory(path);
    ASSERT_NE(directory, nullptr) << reader_.LastError();
    ASSERT_EQ(directory->entries.size(), 2u);
    EXPECT_EQ(directory->declaredFileSize, archive.size());
    EXPECT_TRUE(directory->entries[1].IsCompressed());
    EXPECT_LT(directory->entries[1].storedSize, 3000u);
    EXPECT_EQ(directory->entries[1].dataOffset, directory->entries[0].storedSize);

    ByteVector bytes;
    ASSERT_TRUE(reader_.ReadEntry(path, "gamedata\\CHAR\\A.RBP", &bytes));
    EXPECT_EQ(bytes, picture);
    ASSERT_TRUE(reader_.ReadEntry(path, "GameData\\sinario\\s.MES", &bytes));
    EXPECT_EQ(bytes, script);
    EXPECT_FALSE(reader_.ReadEntry(path, "GameData\\char\\missing.rbp", &bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(ArchiveReaderTest, FirstOfEqualNamesWinsAndDoubleByteCharactersCompareExactly) {
    // "\x82\x61" and "\x82\x41" differ only in a trail byte that looks like a letter.
    ByteVector archive = BuildArchive({{"voice\\A.mp3", Text("first")},
                                       {"VOICE\\a.MP3", Text("second")},
                                       {"\x82\x61.txt", Text("small a")},
                                       {"\x82\x41.txt", Text("other")}});
    std::string path = Write("voice.mlz", archive);
    ByteVector bytes;
    ASSERT_TRUE(reader_.ReadEntry(path, "Voice\\a.mp3", &bytes));
    EXPECT_EQ(bytes, Text("first"));
    ASSERT_TRUE(reader_.ReadEntry(path, "\x82\x41.TXT", &bytes));
    EXPECT_EQ(bytes, Text("other"));
}

TEST_F(ArchiveReaderTest, HeldDirectoryIsReusedForTheSamePathInAnyCase) {
    std::string first = Write("one.mlz", BuildArchive({{"a", Text("1")}}));
    std::string second = Write("two.mlz", BuildArchive({{"a", Text("2")}}));
    const formats::MlzDirectory* held = reader_.OpenDirectory(first);
    ASSERT_NE(held, nullptr);

    // Replace the file on disk: a reader that reuses its directory does not notice.
    Write("one.mlz", BuildArchive({{"b", Text("x")}, {"c", Text("y")}}));
    std::string upper = first;
    for (char& c : upper) c = formats::FoldAsciiUpper(c);
    EXPECT_EQ(reader_.OpenDirectory(upper), held);
    EXPECT_EQ(held->entries.size(), 1u);

    // Another archive reloads; asking for a reload re-reads even the same one.
    ByteVector bytes;
    ASSERT_TRUE(reader_.ReadEntry(second, "A", &bytes));
    EXPECT_EQ(bytes, Text("2"));
    const formats::MlzDirectory* reloaded =
        reader_.OpenDirectory(first, formats::ArchiveReader::Reload::kAlways);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->entries.size(), 2u);
}

TEST_F(ArchiveReaderTest, FailedOpenKeepsWhatWasHeld) {
    std::string good = Write("good.mlz", BuildArchive({{"a", Text("1")}}));
    std::string bad = Write("bad.mlz", Text("NOPE and some more bytes here"));
    ASSERT_NE(reader_.OpenDirectory(good), nullptr);
    EXPECT_EQ(reader_.OpenDirectory(bad), nullptr);
    EXPECT_NE(reader_.LastError().find("RLZ2"), std::string::npos);
    EXPECT_EQ(reader_.HeldPath(), good);
    EXPECT_EQ(reader_.OpenDirectory(Write("empty.mlz", {})), nullptr);
}

TEST_F(ArchiveReaderTest, LocateEntryOnlyForStoredEntries) {
    ByteVector stored = BuildArchive({{"bgm01.mp3", Text("ID3 stored bytes")}}, MlzMethod::kStored);
    std::string path = Write("stored.mlz", stored);
    uint64_t offset = 0;
    uint32_t size = 0;
    auto file = reader_.LocateEntry(path, "BGM01.MP3", &offset, &size);
    ASSERT_TRUE(file);
    ASSERT_EQ(size, 16u);
    ByteVector bytes(size);
    ASSERT_TRUE(file->ReadAt(offset, bytes));
    EXPECT_EQ(bytes, Text("ID3 stored bytes"));

    std::string packed = Write("packed.mlz", BuildArchive({{"bgm01.mp3", ByteVector(100, 1)}}));
    EXPECT_FALSE(reader_.LocateEntry(packed, "bgm01.mp3", &offset, &size));
    EXPECT_FALSE(reader_.LocateEntry(path, "bgm02.mp3", &offset, &size));
}

// Hostile directories: every size and offset is checked against the file.
TEST(MlzDirectory, RefusesDirectoriesThatDoNotFitTheFile) {
    ByteVector archive = BuildArchive({{"a", ByteVector(100, 7)}, {"b", Text("bee")}});
    formats::MlzDirectory directory;
    std::string error;
    ASSERT_TRUE(formats::ParseMlzDirectory(archive, archive.size(), &directory, &error)) << error;

    ByteVector hugeCount = archive;
    formats::StoreLe32(hugeCount.data() + 4, 0x7FFFFFFF);
    EXPECT_FALSE(formats::ParseMlzDirectory(hugeCount, hugeCount.size(), &directory, &error));
    EXPECT_NE(error.find("past the end"), std::string::npos);

    ByteVector farOffset = archive;
    formats::StoreLe32(farOffset.data() + 16 + 84 + 76, 0xFFFFFFF0);
    EXPECT_FALSE(formats::ParseMlzDirectory(farOffset, farOffset.size(), &directory, &error));

    ByteVector bigStored = archive;
    formats::StoreLe32(bigStored.data() + 16 + 64, 0xFFFFFFFF);
    EXPECT_FALSE(formats::ParseMlzDirectory(bigStored, bigStored.size(), &directory, &error));

    // A compressed entry promising far more than its bytes can decode to.
    ByteVector greedy = archive;
    formats::StoreLe32(greedy.data() + 16 + 68, 0xF0000000);
    EXPECT_FALSE(formats::ParseMlzDirectory(greedy, greedy.size(), &directory, &error));

    EXPECT_FALSE(formats::ParseMlzDirectory(ByteVector(archive.begin(), archive.begin() + 15), 15,
                                            &directory, &error));
}

TEST(MlzDirectory, UnpackRefusesStreamsOfTheWrongLength) {
    formats::MlzEntry entry;
    entry.name = "x";
    entry.method = 1;
    ByteVector stream = {0x03, 'a', 'b'};
    entry.storedSize = 3;
    entry.unpackedSize = 5;  // the stream only holds two bytes
    ByteVector out;
    std::string error;
    EXPECT_FALSE(formats::UnpackMlzEntry(entry, stream, &out, &error));
    entry.unpackedSize = 2;
    ASSERT_TRUE(formats::UnpackMlzEntry(entry, stream, &out, &error)) << error;
    EXPECT_EQ(out, Text("ab"));
    // Methods other than 1 read as stored.
    entry.method = 7;
    ASSERT_TRUE(formats::UnpackMlzEntry(entry, stream, &out, &error));
    EXPECT_EQ(out, stream);
}

TEST(MlzArchiveBuilder, RefusesNamesTheFormatCannotHold) {
    formats::MlzArchiveBuilder builder;
    std::string error;
    EXPECT_FALSE(builder.AddEntry(std::string(64, 'n'), Text("x"), MlzMethod::kLzss, &error));
    EXPECT_FALSE(builder.AddEntry("", Text("x"), MlzMethod::kLzss, &error));
    EXPECT_TRUE(builder.AddEntry(std::string(63, 'n'), Text("x"), MlzMethod::kLzss, &error));
    EXPECT_TRUE(builder.AddEntry("empty", {}, MlzMethod::kLzss, &error));
    ByteVector archive = builder.Finish();
    formats::MlzDirectory directory;
    ASSERT_TRUE(formats::ParseMlzDirectory(archive, archive.size(), &directory, &error));
    EXPECT_EQ(directory.entries[0].name.size(), 63u);
    EXPECT_EQ(directory.entries[1].method, 0u);  // nothing to compress
}

}  // namespace
