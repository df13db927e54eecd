#include <gtest/gtest.h>

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

}  // namespace
