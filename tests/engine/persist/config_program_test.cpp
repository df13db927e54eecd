// The mirelo program keeping its settings: a configuration file written at
// exit, and one that moves the data the game plays.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/data_folder.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

testing_support::CommandResult RunMirelo(const TempDir& dir, const std::string& extra) {
    return testing_support::RunCommand(testing_support::MireloCommand() + " --headless --data '" +
                                       dir.path().string() + "' --until 600 " + extra + " 2>&1");
}

std::string ReadText(const fs::path& path) {
    std::vector<uint8_t> bytes = testing_support::ReadHostFile(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(ConfigProgramTest, WritesEveryUserSettingAtExit) {
    TempDir dir;
    testdata::BuildDataFolder(dir.path());
    ASSERT_FALSE(fs::exists(dir / "mirelo.cfg"));
    testing_support::CommandResult run = RunMirelo(dir, "");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // The system flags and the seen names are kept with the settings.
    EXPECT_TRUE(fs::exists(dir / "save000.dat"));
    EXPECT_TRUE(fs::exists(dir / "rysys.dat"));
    std::string text = ReadText(dir / "mirelo.cfg");
    const char* lines[] = {
        "[MUSIC_CONFIG]\r\n",
        "PCM=0\r\n",
        "MASTER_VOL=100\r\n",
        "MUSIC_VOL=100\r\n",
        "[VOICE_CONFIG]\r\n",
        "VOICE_PLAY=1\r\n",
        "VOICE_VOL=100\r\n",
        "[SE_CONFIG]\r\n",
        "SE_PLAY=1\r\n",
        "SE_VOL=100\r\n",
        "[MOV_CONFIG]\r\n",
        "MOV_VOL=100\r\n",
        "[MESSAGE_CONFIG]\r\n",
        "EFFECT_USE=1\r\n",
        "MESSAGE_VOICE_REPLAY=1\r\n",
        "READ_SKIP=0\r\n",
        "LOCK_SKIP=0\r\n",
        "TRANS_MODE=0\r\n",
        "MESSAGE_SPEED=1\r\n",
        "MESSAGE_AUTO=0\r\n",
        "MESSAGE_SADOW=0\r\n",
        "TEXT_CUT_MODE=0\r\n",
        "MESSAGE_WIN_TRANS=2\r\n",
        "[SYSTEM_CONFIG]\r\n",
        "TILVA_MODE=1\r\n",
        "BG_NAME_DISP=1\r\n",
        "KEY_CEN_CTRL=1\r\n",
        "KET_CUR_MODE=0\r\n",
        "KET_DOUBLE_CLICK=0\r\n",
        "DISP_FREE_MODE=0\r\n",
    };
    for (const char* line : lines) EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), std::size(lines));
}

TEST(ConfigProgramTest, PlaysTheFirstStoryFromWhereTheFileSays) {
    TempDir dir;
    testdata::BuildDataFolder(dir.path());
    fs::rename(dir / "1", dir / "Moved");
    // Without the file the data beside the program is missing.
    testing_support::CommandResult lost = RunMirelo(dir, "");
    EXPECT_NE(lost.exitCode, 0) << lost.output;

    testing_support::WriteHostFile(dir / "mirelo.cfg",
                                   std::string("[QV_INST_DIR]\r\nGDATA=.\\moved\\grpack.mlz\r\n"
                                               "[MESSAGE_CONFIG]\r\nMESSAGE_SPEED=2\r\n"));
    testing_support::WriteHostFile(dir / "input.txt", std::string("300 close\n"));
    testing_support::CommandResult run =
        RunMirelo(dir, "--input '" + (dir / "input.txt").string() + "'");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    // Closing the window kept the installer's key and the user's setting.
    std::string text = ReadText(dir / "mirelo.cfg");
    EXPECT_EQ(text.rfind("[QV_INST_DIR]\r\nGDATA=.\\moved\\grpack.mlz\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("MESSAGE_SPEED=2\r\n"), std::string::npos) << text;
}

}  // namespace
