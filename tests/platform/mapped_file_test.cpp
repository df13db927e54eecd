// Read-only mappings of whole files named by device paths.

#include "platform/mapped_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/device_path.h"
#include "test_support.h"

namespace {

std::string DevicePath(const std::filesystem::path& path) {
    return platform::HostToDevicePath(path.string());
}

// The view holds the file's bytes; an empty file opens without any, and a
// folder or a missing name does not open and leaves nothing held.
TEST(MappedFile, MapsRegularFilesOnly) {
    testing_support::TempDir dir;
    const std::vector<uint8_t> bytes = testing_support::RandomBytes(5000, 3);
    testing_support::WriteHostFile(dir / "Music.WAV", bytes);
    testing_support::WriteHostFile(dir / "empty.bin", std::vector<uint8_t>{});

    platform::MappedFile file;
    // Device paths are matched without letter case, as everywhere else.
    ASSERT_TRUE(file.Open(DevicePath(dir / "music.wav")));
    ASSERT_EQ(file.Size(), bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(file.Data(), file.Data() + file.Size()), bytes);

    ASSERT_TRUE(file.Open(DevicePath(dir / "empty.bin")));
    EXPECT_EQ(file.Size(), 0u);
    EXPECT_EQ(file.Data(), nullptr);

    EXPECT_FALSE(file.Open(DevicePath(dir.path())));
    EXPECT_FALSE(file.Open(DevicePath(dir / "missing.bin")));
    EXPECT_EQ(file.Data(), nullptr);
    EXPECT_EQ(file.Size(), 0u);
}

}  // namespace
