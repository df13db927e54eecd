// The settings and data locations read from and written to the
// configuration file.

#include "engine/persist/config_file.h"

#include <gtest/gtest.h>

#include "platform/device_path.h"
#include "test_support.h"

namespace {

using persist::ProfileCache;
using testing_support::TempDir;

TEST(ConfigFileTest, ResolvesPathValuesAgainstTheProgramFolder) {
    struct Case {
        const char* value;
        const char* expected;
    } cases[] = {
        {"..\\voice.mlz", "\\Storage\\voice.mlz"},
        {".\\data\\grpack.mlz", "\\Storage\\Game\\data\\grpack.mlz"},
        {"data\\", "\\Storage\\Game\\data\\"},
        {"\\SD Card\\g.mlz", "\\SD Card\\g.mlz"},
        {"..\\..\\..\\x", "\\x"},
        {"a\\..\\b", "\\Storage\\Game\\b"},
        {"\x83\x5c\\x", "\\Storage\\Game\\\x83\x5c\\x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(persist::ResolveDataPath("\\Storage\\Game\\", c.value), c.expected) << c.value;
    }
}

struct ConfigFolder {
    TempDir dir;
    std::string device = platform::HostToDevicePath(dir.path().string() + "/");
    void Write(const std::string& text) {
        testing_support::WriteHostFile(dir / "mirelo.cfg", text);
    }
    std::string Text() const {
        std::vector<uint8_t> bytes = testing_support::ReadHostFile(dir / "mirelo.cfg");
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST(ConfigFileTest, AMissingFileKeepsEveryDefault) {
    ConfigFolder folder;
    ProfileCache profile;
    core::Settings settings;
    settings.playerName = "Aki";
    core::DataFolderTable table = core::DefaultDataFolders(folder.device);
    persist::LoadSettings(profile, folder.device, &settings, &table);
    core::Settings defaults;
    EXPECT_EQ(settings.pcm, defaults.pcm);
    EXPECT_EQ(settings.deviceVolume, defaults.deviceVolume);
    EXPECT_EQ(settings.messageShadow, 0);
    EXPECT_EQ(settings.messageWindowTrans, defaults.messageWindowTrans);
    EXPECT_EQ(settings.playerName, "Aki");
    EXPECT_EQ(table, core::DefaultDataFolders(folder.device));
}

TEST(ConfigFileTest, ReadsEverySettingWithItsRule) {
    ConfigFolder folder;
    folder.Write(
        "[MUSIC_CONFIG]\r\nPCM=2\r\nMEM_STREAM=1\r\nFAST_BRINDLEX=1\r\nDEVICE_VOL=0x8000\r\n"
        "MASTER_VOL=5\r\nMUSIC_VOL=101\r\n"
        "[ mov_config ]\r\nmov_vol=10\r\n"
        "[SYSTEM_CONFIG]\r\nTILVA_MODE=0\r\nBG_NAME_DISP=0\r\nKEY_CEN_CTRL=3\r\nKET_CUR_MODE=4\r\n"
        "KET_DOUBLE_CLICK=1\r\nDISP_FREE_MODE=2\r\n"
        "[VOICE_CONFIG]\r\nVOICE_PLAY=2\r\nVOICE_VOL=55\r\n"
        "[SE_CONFIG]\r\nSE_PLAY=0\r\nSE_VOL=99\r\n"
        "[MESSAGE_CONFIG]\r\nEFFECT_USE=0\r\nTRANS_MODE=3\r\nMESSAGE_SPEED=2\r\nMESSAGE_AUTO=6\r\n"
        "READ_SKIP=1\r\nLOCK_SKIP=1\r\nMESSAGE_SADOW=7\r\nMESSAGE_VOICE_REPLAY=-3\r\n"
        "TEXT_CUT_MODE=0\r\nMESSAGE_WIN_TRANS=4\r\n"
        "[NAME_CONFIG]\r\nNAME=\x83\x41\x83\x43\r\n");
    ProfileCache profile;
    core::Settings s;
    core::DataFolderTable table = core::DefaultDataFolders(folder.device);
    persist::LoadSettings(profile, folder.device, &s, &table);
    int32_t got[] = {s.pcm,
                     s.memStream,
                     s.fastBrindlex,
                     s.deviceVolume,
                     s.masterVolume,
                     s.musicVolume,
                     s.movieVolume,
                     s.tilvaMode,
                     s.backgroundNameDisplay,
                     s.centreKeyControl,
                     s.cursorMode,
                     s.doubleClick,
                     s.dispFreeMode,
                     s.voicePlay,
                     s.voiceVolume,
                     s.sePlay,
                     s.seVolume,
                     s.effectUse,
                     s.transMode,
                     s.messageSpeed,
                     s.messageAuto,
                     s.readSkip,
                     s.lockSkip,
                     s.messageShadow,
                     s.messageVoiceReplay,
                     s.textCutMode,
                     s.messageWindowTrans};
    int32_t want[] = {2,  1, 1,  32768, 100, 100, 10, 0, 0, 3, 4, 1, 2, 2,
                      55, 0, 99, 0,     3,   2,   6,  1, 1, 1, 1, 0, 4};
    ASSERT_EQ(std::size(got), std::size(want));
    for (size_t i = 0; i < std::size(got); ++i) EXPECT_EQ(got[i], want[i]) << "setting " << i;
    EXPECT_EQ(s.playerName, "\x83\x41\x83\x43");
}

TEST(ConfigFileTest, PathKeysFillTheLocationTable) {
    ConfigFolder folder;
    folder.Write(
        "[QV_INST_DIR]\r\nGDATA=first\\g.mlz\r\nVDATA=..\\v.mlz\r\nSEDATA=\\se\\\r\n"
        "MDATA=.\\music\\\r\nSAVEDATA=saves\\\r\nMOVDATA=movies\\\r\n"
        "[ORV_INST_DIR]\r\nGDATA=second.mlz\r\nVDATA=\r\nMDATA=m2\\\r\n"
        "SAVEDATA=ignored\\\r\nMOVDATA=ignored\\\r\n");
    ProfileCache profile;
    core::Settings settings;
    core::DataFolderTable table = core::DefaultDataFolders(folder.device);
    core::DataFolderTable defaults = table;
    persist::LoadSettings(profile, folder.device, &settings, &table);
    const std::string& d = folder.device;
    std::string parent = persist::ResolveDataPath(d, "..\\");
    core::DataFolderTable want = defaults;
    want[core::kLocationImages0] = want[core::kLocationScenario0] = d + "first\\g.mlz";
    want[core::kLocationVoice0] = parent + "v.mlz";
    want[core::kLocationEffects0] = "\\se\\";
    want[core::kLocationMusic0] = d + "music\\";
    want[core::kLocationSave] = d + "saves\\";
    want[core::kLocationMovies] = d + "movies\\";
    // The third story copies the second; an empty value keeps the default.
    for (int entry : {core::kLocationImages1, core::kLocationImages2, core::kLocationScenario1,
                      core::kLocationScenario2}) {
        want[entry] = d + "second.mlz";
    }
    want[core::kLocationMusic1] = want[core::kLocationMusic2] = d + "m2\\";
    for (int i = 0; i < core::kLocationCount; ++i) EXPECT_EQ(table[i], want[i]) << "entry " << i;
}

TEST(ConfigFileTest, SavesTheUserSettingsInOrderAndReadsThemBack) {
    ConfigFolder folder;
    folder.Write("[QV_INST_DIR]\r\nGDATA=x.mlz\r\n[MUSIC_CONFIG]\r\nFAST_BRINDLEX=1\r\n");
    using S = core::Settings;
    // Every setting the user changes, with a value that survives its rule.
    struct Field {
        int32_t S::*field;
        int32_t value;
    } fields[] = {
        {&S::pcm, 2},
        {&S::voicePlay, 0},
        {&S::sePlay, 2},
        {&S::masterVolume, 11},
        {&S::musicVolume, 22},
        {&S::voiceVolume, 33},
        {&S::seVolume, 44},
        {&S::movieVolume, 55},
        {&S::effectUse, 0},
        {&S::tilvaMode, 0},
        {&S::backgroundNameDisplay, 0},
        {&S::messageVoiceReplay, 0},
        {&S::readSkip, 1},
        {&S::lockSkip, 1},
        {&S::transMode, 3},
        {&S::messageSpeed, 2},
        {&S::messageAuto, 5},
        {&S::messageShadow, 1},
        {&S::textCutMode, 1},
        {&S::messageWindowTrans, 4},
        {&S::centreKeyControl, 5},
        {&S::cursorMode, 3},
        {&S::doubleClick, 1},
        {&S::dispFreeMode, 2},
    };
    core::Settings saved;
    for (const Field& f : fields) saved.*f.field = f.value;
    saved.deviceVolume = 1234;  // the installer's: never written
    {
        ProfileCache profile;
        persist::SaveSettings(profile, folder.device, saved);
        ASSERT_TRUE(profile.FlushProfile());
    }
    std::string text = folder.Text();
    EXPECT_EQ(text.find("DEVICE_VOL"), std::string::npos);
    EXPECT_NE(text.find("GDATA=x.mlz\r\n"), std::string::npos);
    EXPECT_NE(text.find("FAST_BRINDLEX=1\r\n"), std::string::npos);
    // Written in a fixed order, each new key right under its section.
    EXPECT_NE(text.find("[MUSIC_CONFIG]\r\nMUSIC_VOL=22\r\nMASTER_VOL=11\r\nPCM=2\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[MESSAGE_CONFIG]\r\nMESSAGE_WIN_TRANS=4\r\nTEXT_CUT_MODE=1\r\n"),
              std::string::npos)
        << text;

    ProfileCache profile;
    core::Settings read;
    core::DataFolderTable table = core::DefaultDataFolders(folder.device);
    persist::LoadSettings(profile, folder.device, &read, &table);
    for (const Field& f : fields) EXPECT_EQ(read.*f.field, f.value) << "value " << f.value;
    EXPECT_EQ(read.deviceVolume, core::Settings().deviceVolume);
}

}  // namespace
