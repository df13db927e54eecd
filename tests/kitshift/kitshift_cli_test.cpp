// The kitshift program on the console: options, checks, exit codes, output.
#include <gtest/gtest.h>

#include <filesystem>

#include "mp3_decode.h"
#include "test_support.h"
#include "title_tree.h"

namespace {

namespace fs = std::filesystem;
using testing_support::CommandResult;
using testing_support::EnvironmentVariable;
using testing_support::KitshiftCommand;
using testing_support::RunCommand;
using testing_support::TempDir;

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

TEST(KitshiftCliTest, ConvertsATitleFolderWithItsOptions) {
    TempDir source;
    TempDir output;
    kitshift_test::WriteTitleTree(source.path());
    fs::path out = output / "new" / "folder";
    CommandResult result =
        RunCommand(KitshiftCommand() + " --title Quevara --bgm-rate 44100 --bgm-mono --out " +
                   Quote(out) + " " + Quote(source.path()));
    // The undecodable picture makes the run end with code 1, naming it.
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("変換データ数：17 / 17"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("GameData/system/bad.crx: cannot decode picture"),
              std::string::npos)
        << result.output;
    EXPECT_TRUE(fs::exists(out / "grpack.mlz"));
    EXPECT_TRUE(fs::exists(out / "voice.mlz"));
    std::vector<uint8_t> mp3 = testing_support::ReadHostFile(out / "bgm01.mp3");
    testing_support::Decoded decoded = testing_support::DecodeMp3(mp3.data(), mp3.size());
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_EQ(decoded.channels, 1);
}

TEST(KitshiftCliTest, ChecksTheFolderAndTheEncoderModule) {
    TempDir source;
    TempDir output;
    // Any one of the title executables marks the folder, in any letter case.
    testing_support::WriteHostFile(source / "qv_dvd.EXE", std::string());
    CommandResult ok = RunCommand("cd " + Quote(output.path()) + " && " + KitshiftCommand() + " " +
                                  Quote(source.path()));
    EXPECT_EQ(ok.exitCode, 0) << ok.output;
    EXPECT_TRUE(fs::exists(output / "grpack.mlz"));  // the current folder by default
    EXPECT_NE(ok.output.find("no voice.mlz"), std::string::npos) << ok.output;

    CommandResult notTitle = RunCommand(KitshiftCommand() + " --out " + Quote(output.path()) + " " +
                                        Quote(output.path()));
    EXPECT_EQ(notTitle.exitCode, 4);
    EXPECT_NE(notTitle.output.find(
                  "『Voskerinta』『Tamro』『belomantes』『Quevara』のフォルダを指定して下さい。"),
              std::string::npos)
        << notTitle.output;

    // A copy of the program away from the module, with no other place to
    // look, cannot encode.
    TempDir alone;
    fs::copy_file(KITSHIFT_PATH, alone / "kitshift");
    fs::permissions(alone / "kitshift", fs::perms::owner_exec, fs::perm_options::add);
    EnvironmentVariable noPath("MIRELO_MODULE_PATH", nullptr);
    CommandResult noModule = RunCommand(Quote(alone / "kitshift") + " --out " +
                                        Quote(output.path()) + " " + Quote(source.path()));
    EXPECT_EQ(noModule.exitCode, 3);
    EXPECT_NE(noModule.output.find("<< GOGO.DLL >>が見つかりませんでした。"), std::string::npos)
        << noModule.output;
}

TEST(KitshiftCliTest, RefusesBadUsage) {
    for (const char* args :
         {"--title Other x", "--title 4 x", "--bgm-bitrate 65 x", "--voice-rate 11025 x", "--out",
          "--frobnicate x", "a b", "--bgm-mono"}) {
        CommandResult result = RunCommand(KitshiftCommand() + " " + args);
        EXPECT_EQ(result.exitCode, 2) << args;
        EXPECT_NE(result.output.find("usage: kitshift"), std::string::npos) << args;
    }
    EXPECT_EQ(RunCommand(KitshiftCommand() + " --help").exitCode, 0);
}

}  // namespace
