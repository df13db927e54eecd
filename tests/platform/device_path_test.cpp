#include "platform/device_path.h"

#include <gtest/gtest.h>

#include "platform/device_file.h"
#include "test_support.h"

namespace {

TEST(DevicePath, HostFoldersBecomeRootedBackslashPaths) {
    EXPECT_EQ(platform::HostToDevicePath("/home/u/game/"), "\\home\\u\\game\\");
    // Host names are UTF-8; inside the system they are Shift-JIS ("表" is 0x95 0x5C).
    EXPECT_EQ(platform::HostToDevicePath("/d/\xE8\xA1\xA8"), "\\d\\\x95\x5C");
}

TEST(DevicePath, ComponentsMatchWithoutLetterCase) {
    testing_support::TempDir dir;
    testing_support::WriteHostFile(dir / "Data1/GameData/Char/Back.RBP", std::string("pixels"));
    std::string root = platform::HostToDevicePath(dir.path().string()) + "\\";

    std::string host = platform::DeviceToHostPath(root + "data1\\gamedata\\char\\back.rbp");
    EXPECT_EQ(host, (dir / "Data1/GameData/Char/Back.RBP").string());

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(root + "DATA1\\GAMEDATA\\CHAR\\BACK.rbp", &bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "pixels");

    // A missing file maps below the matched folders, ready to be created.
    EXPECT_EQ(platform::DeviceToHostPath(root + "data1\\NEW\\x.dat"),
              (dir / "Data1/NEW/x.dat").string());
    EXPECT_FALSE(platform::ReadWholeFile(root + "data1\\nothing.rbp", &bytes));
    EXPECT_TRUE(bytes.empty());
    // A folder ending in '\' keeps its trailing separator.
    EXPECT_EQ(platform::DeviceToHostPath(root + "data1\\"), (dir / "Data1/").string());
}

TEST(DevicePath, ShiftJisNamesReachUtf8Files) {
    testing_support::TempDir dir;
    // The folder's second byte (0x5C) must not split the component.
    testing_support::WriteHostFile(dir / "\xE8\xA1\xA8/Voice.mp3", std::string("v"));
    std::string root = platform::HostToDevicePath(dir.path().string()) + "\\";
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(root + "\x95\x5C\\VOICE.MP3", &bytes));
    EXPECT_EQ(bytes.size(), 1u);
}

// Host folders (the converters' source tree) follow the same rule: the exact
// name first, else the one entry that differs only in letter case, else the
// smallest of several.
TEST(DevicePath, HostFolderEntriesMatchWithoutLetterCase) {
    testing_support::TempDir dir;
    testing_support::WriteHostFile(dir / "VOICE.DAT", std::string("a"));
    testing_support::WriteHostFile(dir / "GameData/voice.dat", std::string("b"));
    testing_support::WriteHostFile(dir / "GameData/Voice.dat", std::string("c"));
    std::string found;
    ASSERT_TRUE(platform::FindHostEntryNoCase(dir.path().string(), "voice.dat", &found));
    EXPECT_EQ(found, "VOICE.DAT");
    ASSERT_TRUE(platform::FindHostEntryNoCase((dir / "GameData").string(), "Voice.dat", &found));
    EXPECT_EQ(found, "Voice.dat");
    ASSERT_TRUE(platform::FindHostEntryNoCase(dir.path().string() + "/", "gAMEdATA", &found));
    EXPECT_EQ(found, "GameData");
    ASSERT_TRUE(platform::FindHostEntryNoCase((dir / "GameData/").string(), "VOICE.DAT", &found));
    EXPECT_EQ(found, "Voice.dat");
    EXPECT_FALSE(platform::FindHostEntryNoCase(dir.path().string(), "sound.dat", &found));
}

TEST(DeviceFile, ReadsAtOffsetsAndReportsShortReads) {
    testing_support::TempDir dir;
    testing_support::WriteHostFile(dir / "f.bin", std::string("0123456789"));
    auto file =
        platform::DeviceFile::OpenForReading(platform::HostToDevicePath((dir / "f.bin").string()));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), 10u);
    std::vector<uint8_t> four(4);
    ASSERT_TRUE(file->ReadAt(6, four));
    EXPECT_EQ(std::string(four.begin(), four.end()), "6789");
    EXPECT_FALSE(file->ReadAt(7, four));
    EXPECT_EQ(file->ReadSomeAt(7, four), 3u);
    // Folders are not files.
    EXPECT_FALSE(
        platform::DeviceFile::OpenForReading(platform::HostToDevicePath(dir.path().string())));
}

}  // namespace
