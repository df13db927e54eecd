// The host files behind the writers' byte sinks: staging, abandoning, and
// reading back what was just written through stdio's buffer.

#include "platform/host_file_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using formats::SinkPlacement;

std::unique_ptr<formats::ByteSink> Open(const fs::path& path, SinkPlacement placement) {
    std::string error;
    auto sink = platform::HostFileSinkOpener()(path, placement, &error);
    EXPECT_TRUE(sink) << error;
    return sink;
}

// A staged file is invisible under its name until the commit, and an
// abandoned one leaves neither the target nor its staging file behind.
TEST(HostFileSink, StagedFileAppearsOnlyOnCommit) {
    testing_support::TempDir dir;
    const std::vector<uint8_t> bytes = testing_support::RandomBytes(300, 1);
    auto sink = Open(dir / "out.bin", SinkPlacement::kStaged);
    ASSERT_TRUE(sink->WriteAt(0, bytes));
    EXPECT_FALSE(fs::exists(dir / "out.bin"));
    ASSERT_TRUE(sink->Commit());
    EXPECT_EQ(testing_support::ReadHostFile(dir / "out.bin"), bytes);
    sink.reset();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    Open(dir / "other.bin", SinkPlacement::kStaged)->WriteAt(0, bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// A commit that cannot move the file into place says why and removes the
// staging file; an in-place file stays as it was left when abandoned.
TEST(HostFileSink, FailedCommitCleansUpAndInPlaceFilesStay) {
    testing_support::TempDir dir;
    fs::create_directories(dir / "taken" / "inside");
    auto staged = Open(dir / "taken", SinkPlacement::kStaged);
    ASSERT_TRUE(staged->WriteAt(0, std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(staged->Commit());
    EXPECT_FALSE(staged->LastError().empty());
    EXPECT_FALSE(fs::exists(dir / "taken.part"));

    Open(dir / "left.bin", SinkPlacement::kInPlace)->WriteAt(0, std::vector<uint8_t>{7, 8});
    EXPECT_EQ(testing_support::ReadHostFile(dir / "left.bin"), (std::vector<uint8_t>{7, 8}));

    std::string error;
    EXPECT_FALSE(
        platform::HostFileSinkOpener()(dir / "missing" / "x.bin", SinkPlacement::kInPlace, &error));
    EXPECT_FALSE(error.empty());
}

// Reads and writes may alternate at any offsets (stdio needs a seek between
// them), and a truncation drops what lay beyond it.
TEST(HostFileSink, ReadsBackWritesAndTruncates) {
    testing_support::TempDir dir;
    auto sink = Open(dir / "f.bin", SinkPlacement::kInPlace);
    ASSERT_TRUE(sink->WriteAt(0, std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    std::vector<uint8_t> middle(2);
    ASSERT_TRUE(sink->ReadAt(2, middle));
    EXPECT_EQ(middle, (std::vector<uint8_t>{3, 4}));
    ASSERT_TRUE(sink->WriteAt(1, middle));
    ASSERT_TRUE(sink->WriteAt(3, std::vector<uint8_t>{9}));
    ASSERT_TRUE(sink->Truncate(5));
    std::vector<uint8_t> tooFar(2);
    EXPECT_FALSE(sink->ReadAt(4, tooFar));
    ASSERT_TRUE(sink->Commit());
    EXPECT_EQ(testing_support::ReadHostFile(dir / "f.bin"), (std::vector<uint8_t>{1, 3, 4, 9, 5}));
}

}  // namespace
