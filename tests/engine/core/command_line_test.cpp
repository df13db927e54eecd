#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/core/data_folder.h"
#include "engine/core/startup.h"
#include "test_support.h"

namespace {

core::CommandLine Parse(const std::vector<std::string>& args, std::string* error = nullptr) {
    core::CommandLine commandLine;
    std::string ignored;
    EXPECT_TRUE(core::ParseCommandLine(args, &commandLine, error ? error : &ignored)) << ignored;
    return commandLine;
}

TEST(CommandLine, HarnessOptionsAreRead) {
    core::CommandLine commandLine = Parse(
        {"--headless", "--data", "d", "--until", "7000", "--shot-at", "2000,0,1000", "--shot-every",
         "500", "--shots", "out", "--input", "in.txt", "--audio-out", "a.wav"});
    EXPECT_TRUE(commandLine.headless);
    EXPECT_EQ(commandLine.dataFolder, "d");
    EXPECT_EQ(commandLine.backend.untilMs, 7000u);
    EXPECT_EQ(commandLine.backend.shotTimes, (std::vector<uint32_t>{0, 1000, 2000}));
    EXPECT_EQ(commandLine.backend.shotEveryMs, 500u);
    EXPECT_EQ(commandLine.backend.shotsFolder, "out");
    EXPECT_EQ(commandLine.backend.inputScriptPath, "in.txt");
    EXPECT_EQ(commandLine.backend.audioOutPath, "a.wav");
    EXPECT_EQ(Parse({"--scale", "2", "--fullscreen"}).backend.scale, 2);
}

TEST(CommandLine, MistakesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--until", "100"},                 // a harness option without --headless
        {"--headless"},                     // no end time
        {"--headless", "--until", "soon"},  // not a number
        {"--headless", "--until", "5", "--shot-at", "1,,2"},
        {"--scale", "0"},
        {"--data"},  // missing value
        {"--frobnicate"},
    };
    for (const auto& args : bad) {
        core::CommandLine commandLine;
        std::string error;
        EXPECT_FALSE(core::ParseCommandLine(args, &commandLine, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(CommandLine, ProgramAnswersHelpVersionAndBadArguments) {
    auto help = testing_support::RunCommand(testing_support::MireloCommand() + " --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--headless"), std::string::npos);
    auto version = testing_support::RunCommand(testing_support::MireloCommand() + " --version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("mirelo ", 0), 0u);
    auto bad = testing_support::RunCommand(testing_support::MireloCommand() + " --until 5");
    EXPECT_EQ(bad.exitCode, 2);
    auto missing = testing_support::RunCommand(testing_support::MireloCommand() +
                                               " --headless --until 5 --data /nonexistent/folder");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("no such folder"), std::string::npos);
}

// Each way of not being able to run says why in one line and ends with 1.
TEST(CommandLine, ProgramSaysWhyItCannotRun) {
    using testing_support::MireloCommand;
    using testing_support::RunCommand;
    testing_support::TempDir dir;
    const std::string data = " --data '" + dir.path().string() + "'";
    auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };

    // No display: a window would never be seen.
    auto unseen = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " +
                             MireloCommand() + data);
    EXPECT_EQ(unseen.exitCode, 1);
    EXPECT_EQ(unseen.output.rfind("mirelo: ", 0), 0u) << unseen.output;
    EXPECT_NE(unseen.output.find("use --headless"), std::string::npos) << unseen.output;
    EXPECT_EQ(lines(unseen.output), 1) << unseen.output;

    // A scenario that is not there: the archive, the entry and the reason.
    testdata::BuildDataFolder(dir.path());
    auto missing = RunCommand(MireloCommand() + " --headless --until 100" + data +
                              " --scenario nosuch --dialect 0");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("mirelo: " + (dir / "1" / "grpack.mlz").string() +
                                  ": GameData\\sinario\\nosuch.MES: no such entry in the archive"),
              std::string::npos)
        << missing.output;
    // Said once (the window's own missing picture may be told beside it).
    EXPECT_EQ(missing.output.find("nosuch.MES"), missing.output.rfind("nosuch.MES"))
        << missing.output;

    // A folder where the archive should be is named for what it is, once.
    std::filesystem::remove(dir / "1" / "grpack.mlz");
    std::filesystem::create_directory(dir / "1" / "grpack.mlz");
    auto folder = RunCommand(MireloCommand() + " --headless --until 100" + data);
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(
        folder.output.rfind("mirelo: " + (dir / "1" / "grpack.mlz").string() + ": is a folder", 0),
        0u)
        << folder.output;
    EXPECT_EQ(lines(folder.output), 1) << folder.output;
}

}  // namespace
