// Whole-file writes: a replaced file is always the old one or the new one.

#include "platform/host_files.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A replace that cannot finish (here: the target is a folder) leaves what
// was there untouched and no temporary file behind; a good one replaces the
// bytes whole and leaves nothing else in the folder.
TEST(HostFiles, AtomicReplaceIsAllOrNothing) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "save001.dat";
    std::string why;
    ASSERT_TRUE(platform::WriteHostFileAtomically(file, std::vector<uint8_t>{1, 2, 3}, &why))
        << why;
    ASSERT_TRUE(platform::WriteHostFileAtomically(file, std::vector<uint8_t>{9, 8}, &why)) << why;
    formats::ByteVector bytes;
    ASSERT_TRUE(platform::ReadHostFile(file, &bytes, &why)) << why;
    EXPECT_EQ(bytes, (formats::ByteVector{9, 8}));
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"save001.dat"});

    const fs::path folder = dir.path() / "taken";
    fs::create_directories(folder / "inside");
    EXPECT_FALSE(platform::WriteHostFileAtomically(folder, std::vector<uint8_t>{7}, &why));
    EXPECT_NE(why.find("cannot replace file"), std::string::npos) << why;
    EXPECT_TRUE(fs::is_directory(folder / "inside"));
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"save001.dat", "taken"}));

    // A folder that cannot be made is named in the reason.
    testing_support::WriteHostFile(dir.path() / "plain", std::string("x"));
    EXPECT_FALSE(platform::WriteHostFileAtomically(dir.path() / "plain" / "a.dat",
                                                   std::vector<uint8_t>{1}, &why));
    EXPECT_NE(why.find("plain"), std::string::npos) << why;
}

}  // namespace
