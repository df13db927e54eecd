// The profile engine over a real file: reading values as the file means
// them, and writing back so that everything it did not change stays.

#include "engine/persist/profile.h"

#include <gtest/gtest.h>

#include "platform/device_path.h"
#include "test_support.h"

namespace {

using persist::ProfileCache;
using testing_support::TempDir;

std::string ReadText(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes = testing_support::ReadHostFile(path);
    return std::string(bytes.begin(), bytes.end());
}

struct ProfileFile {
    TempDir dir;
    std::string device = platform::HostToDevicePath((dir / "mirelo.cfg").string());
    explicit ProfileFile(const std::string& text) {
        if (!text.empty()) testing_support::WriteHostFile(dir / "mirelo.cfg", text);
    }
    std::string Text() const { return ReadText(dir / "mirelo.cfg"); }
};

TEST(ProfileTest, ReadsIntegersAsTheFileMeansThem) {
    struct Case {
        const char* line;
        int32_t expected;
    } cases[] = {
        {"VOL=100", 100}, {"VOL=-5", -5},        {"VOL=0x8000", 32768}, {"VOL=0xfFfF", 65535},
        {"VOL=", 7},      {"VOL=2 ", 2},         {"VOL=2x", 2},         {"VOL= 12", 12},
        {"VOL=+3", 3},    {"VOL=abc", 0},        {"VOL=0x", 0},         {" v o l =42", 42},
        {"vol=9", 9},     {"VOL=4294967297", 1},
    };
    for (const Case& c : cases) {
        ProfileFile file(std::string("[MUSIC_CONFIG]\r\n") + c.line + "\r\n");
        ProfileCache profile;
        EXPECT_EQ(profile.GetProfileInt("MUSIC_CONFIG", "VOL", 7, file.device), c.expected)
            << c.line;
    }
}

TEST(ProfileTest, FindsSectionsAndKeysWithoutRegardToCaseOrBlanks) {
    ProfileFile file(
        "VOL=1\r\n"             // before any section: never matches
        "[ Music_Config ]\r\n"  // blanks inside the brackets do not count
        "; a comment\r\n"
        "master_vol=50\r\n"
        "MASTER_VOL=60\r\n"  // only the first of a key counts
        "[OTHER]\r\n"
        "VOL=3\r\n"
        "[music_config]\r\n"  // only the first section of a name counts
        "VOL=4\r\n"
        "[\"A B\"]\n"  // quoted names keep their blanks; LF alone ends a line too
        "\"K Y\"=5\n");
    ProfileCache profile;
    EXPECT_EQ(profile.GetProfileInt("MUSIC_CONFIG", "MASTER_VOL", 0, file.device), 50);
    EXPECT_EQ(profile.GetProfileInt("MUSIC_CONFIG", "VOL", -1, file.device), -1);
    EXPECT_EQ(profile.GetProfileInt("OTHER", "VOL", -1, file.device), 3);
    EXPECT_EQ(profile.GetProfileInt("A B", "K Y", -1, file.device), 5);
    EXPECT_EQ(profile.GetProfileInt("AB", "KY", -1, file.device), -1);
}

TEST(ProfileTest, ReadsStringsWithQuotesAndLimits) {
    ProfileFile file(
        "[S]\r\n"
        "PLAIN= a b \r\n"
        "QUOTED=\"x\"y\"z\"\r\n"
        "EMPTY=\r\n"
        "BLANK=\"\"\r\n"
        "LONG=123456789\r\n"
        "KANJI=\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4a\x83\x4c\x83\x4e\r\n"
        "SJIS=\x83\x5c\r\n");  // a double-byte character ending in a backslash byte
    ProfileCache profile;
    struct Case {
        const char* key;
        size_t max;
        std::string expected;
    } cases[] = {
        {"PLAIN", 20, " a b "},
        {"QUOTED", 20, "xyz"},
        {"EMPTY", 20, "def"},
        {"BLANK", 20, ""},
        {"LONG", 8, "def"},
        {"LONG", 9, "123456789"},
        {"MISSING", 20, "def"},
        {"KANJI", 8, "\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4a\x83\x4c\x83\x4e"},
        {"SJIS", 1, "\x83\x5c"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(profile.GetProfileString("S", c.key, "def", &out, c.max, file.device),
                  c.expected.size())
            << c.key;
        EXPECT_EQ(out, c.expected) << c.key;
    }
}

TEST(ProfileTest, WritesBackKeepingWhatItDidNotChange) {
    ProfileFile file(
        "; kept\r\n"
        "[MUSIC_CONFIG]\r\n"
        "UNKNOWN=1\r\n"
        "  pcm = 1\r\n"
        "\r\n"
        "[SE_CONFIG]\r\n");
    ProfileCache profile;
    profile.WriteProfileString("MUSIC_CONFIG", "PCM", "2", file.device);
    profile.WriteProfileString("music_config", "MASTER_VOL", "50", file.device);
    profile.WriteProfileString("MUSIC_CONFIG", "MUSIC_VOL", "60", file.device);
    profile.WriteProfileString("VOICE_CONFIG", "VOICE_VOL", "70", file.device);
    profile.WriteProfileString("VOICE_CONFIG", "VOICE_PLAY", "2", file.device);
    EXPECT_EQ(file.Text(), std::string("; kept\r\n[MUSIC_CONFIG]\r\nUNKNOWN=1\r\n  pcm = 1\r\n\r\n"
                                       "[SE_CONFIG]\r\n"));  // nothing before the flush
    ASSERT_TRUE(profile.FlushProfile());
    // New keys go right under their section, so they read in reverse order.
    EXPECT_EQ(file.Text(),
              "; kept\r\n"
              "[MUSIC_CONFIG]\r\n"
              "MUSIC_VOL=60\r\n"
              "MASTER_VOL=50\r\n"
              "UNKNOWN=1\r\n"
              "PCM=2\r\n"
              "\r\n"
              "[SE_CONFIG]\r\n"
              "[VOICE_CONFIG]\r\n"
              "VOICE_PLAY=2\r\n"
              "VOICE_VOL=70\r\n");
}

TEST(ProfileTest, StartsAMissingFileWithItsFirstSection) {
    ProfileFile file("");
    ProfileCache profile;
    EXPECT_EQ(profile.GetProfileInt("A", "K", 3, file.device), 3);
    profile.WriteProfileString("A", "K", "4", file.device);
    EXPECT_EQ(profile.GetProfileInt("A", "K", 3, file.device), 4);
    ASSERT_TRUE(profile.FlushProfile());
    EXPECT_EQ(file.Text(), "[A]\r\nK=4\r\n");
}

TEST(ProfileTest, SwitchingFilesWritesTheOldOneBackFirst) {
    ProfileFile first("[A]\r\nK=1\r\n");
    ProfileFile second("[A]\r\nK=2\r\n");
    ProfileCache profile;
    profile.WriteProfileString("A", "K", "5", first.device);
    EXPECT_EQ(profile.GetProfileInt("A", "K", 0, second.device), 2);
    EXPECT_EQ(first.Text(), "[A]\r\nK=5\r\n");
    // Back to the first: read again from the disk.
    EXPECT_EQ(profile.GetProfileInt("A", "K", 0, first.device), 5);
}

TEST(ProfileTest, ResetForgetsWithoutWriting) {
    ProfileFile file("[A]\r\nK=1\r\n");
    ProfileCache profile;
    profile.WriteProfileString("A", "K", "5", file.device);
    profile.ResetProfile();
    EXPECT_TRUE(profile.FlushProfile());
    EXPECT_EQ(file.Text(), "[A]\r\nK=1\r\n");
}

TEST(ProfileTest, HoldsAFileLargerThanTheOldLimit) {
    std::string text = "[A]\r\n";
    for (int i = 0; i < 20000; ++i)
        text += "KEY" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    text += "LAST=" + std::string(1000, '7') + "\r\n";
    ASSERT_GT(text.size(), 131072u);
    ProfileFile file(text);
    ProfileCache profile;
    EXPECT_EQ(profile.GetProfileInt("A", "KEY19999", 0, file.device), 19999);
    std::string out;
    profile.GetProfileString("A", "LAST", "", &out, 2000, file.device);
    EXPECT_EQ(out.size(), 1000u);
    profile.WriteProfileString("A", "KEY0", "x", file.device);
    ASSERT_TRUE(profile.FlushProfile());
    EXPECT_EQ(file.Text().size(), text.size());
}

TEST(ProfileTest, AFailedWriteLeavesWhatWasThereAndSaysWhy) {
    // A folder where the file should be cannot be replaced, whoever runs this.
    TempDir dir;
    std::filesystem::create_directories(dir / "mirelo.cfg" / "inside");
    std::string device = platform::HostToDevicePath((dir / "mirelo.cfg").string());
    ProfileCache profile;
    profile.WriteProfileString("A", "K", "5", device);
    testing::internal::CaptureStderr();
    bool written = profile.FlushProfile();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(written);
    EXPECT_EQ(said.rfind("mirelo: " + (dir / "mirelo.cfg").string() + ": ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(std::filesystem::is_directory(dir / "mirelo.cfg" / "inside"));
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
