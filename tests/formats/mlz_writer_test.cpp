#include "formats/mlz_writer.h"

#include <gtest/gtest.h>

#include "platform/host_file_sink.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using formats::ByteVector;
using formats::MlzArchiveWriter;
using formats::MlzMethod;

formats::MlzDirectory Parse(const ByteVector& file) {
    formats::MlzDirectory directory;
    std::string error;
    EXPECT_TRUE(formats::ParseMlzDirectory(file, file.size(), &directory, &error)) << error;
    EXPECT_EQ(directory.declaredFileSize, file.size());
    return directory;
}

// A writer that ends with fewer entries than it reserved moves the data down,
// so the archive is exactly what a builder makes of the same entries.
TEST(MlzWriterTest, DroppedEntriesShrinkTheDirectory) {
    testing_support::TempDir folder;
    ByteVector first = testing_support::RandomBytes(3000, 1);
    ByteVector second(5000, 'a');
    MlzArchiveWriter writer(platform::HostFileSinkOpener());
    std::string error;
    ASSERT_TRUE(writer.Create(folder / "out.mlz", 5, &error)) << error;
    ASSERT_TRUE(writer.AppendData("one.bin", first, MlzMethod::kLzss, &error)) << error;
    ASSERT_TRUE(writer.AppendEmpty(&error));
    ASSERT_TRUE(writer.AppendData("dir\\two.bin", second, MlzMethod::kLzss, &error)) << error;
    EXPECT_FALSE(fs::exists(folder / "out.mlz"));  // not in place before it is complete
    ASSERT_TRUE(writer.Finish(&error)) << error;

    formats::MlzArchiveBuilder builder;
    builder.AddEntry("one.bin", first, MlzMethod::kLzss, &error);
    ByteVector expected = builder.Finish();
    ByteVector file = testing_support::ReadHostFile(folder / "out.mlz");
    formats::MlzDirectory directory = Parse(file);
    ASSERT_EQ(directory.entries.size(), 3u);
    EXPECT_EQ(directory.entries[1].name, "");
    EXPECT_EQ(directory.entries[1].storedSize, 0u);
    ByteVector unpacked;
    const formats::MlzEntry& two = directory.entries[2];
    ASSERT_TRUE(formats::UnpackMlzEntry(
        two, formats::ByteSpan(file.data() + directory.AbsoluteOffset(two), two.storedSize),
        &unpacked, &error));
    EXPECT_EQ(unpacked, second);
    // The first entry's bytes match a builder's.
    formats::MlzDirectory built = Parse(expected);
    EXPECT_EQ(
        ByteVector(file.begin() + directory.AbsoluteOffset(directory.entries[0]),
                   file.begin() + directory.AbsoluteOffset(directory.entries[0]) +
                       directory.entries[0].storedSize),
        ByteVector(expected.begin() + built.AbsoluteOffset(built.entries[0]), expected.end()));
}

// An abandoned writer leaves the earlier archive in place; one that is full
// or given a long name refuses more.
TEST(MlzWriterTest, AbandonedOrOverfullWritersKeepOldFilesAndRefuse) {
    testing_support::TempDir folder;
    testing_support::WriteHostFile(folder / "out.mlz", std::string("old"));
    std::string error;
    {
        MlzArchiveWriter writer(platform::HostFileSinkOpener());
        ASSERT_TRUE(writer.Create(folder / "out.mlz", 1, &error));
        ASSERT_TRUE(writer.AppendData("a", ByteVector{1}, MlzMethod::kLzss, &error));
        EXPECT_FALSE(writer.AppendData("b", ByteVector{2}, MlzMethod::kLzss, &error));
        EXPECT_FALSE(
            writer.AppendData(std::string(64, 'n'), ByteVector{2}, MlzMethod::kLzss, &error));
    }
    EXPECT_EQ(testing_support::ReadHostFile(folder / "out.mlz"), (ByteVector{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
    MlzArchiveWriter writer(platform::HostFileSinkOpener());
    EXPECT_FALSE(writer.Create(folder / "no" / "such" / "out.mlz", 1, &error));
}

}  // namespace
