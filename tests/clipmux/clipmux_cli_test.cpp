// The clipmux program on the console, end to end.

#include <gtest/gtest.h>

#include <cstdlib>

#include "movie_fixtures.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RunCommand;
using testing_support::TempDir;

std::string Clipmux() {
    return std::string("MIRELO_MODULE_PATH='") + MIRELO_MODULE_DIR + "' '" + CLIPMUX_PATH + "'";
}

TEST(ClipmuxCliTest, ConvertsEachInputAndListsTheOnesThatFailed) {
    TempDir dir;
    clipmux_test::MjShape mj;
    testing_support::WriteHostFile(dir / "a.mj", clipmux_test::MakeMjFile(mj));
    clipmux_test::MovieShape avi;
    avi.frames = 6;
    clipmux_test::WriteTestMovie(dir / "b.avi", avi);
    const std::string missing = (dir / "gone.avi").string();
    const auto result = RunCommand(Clipmux() + " --fps 2 --size 1 --quality 2 --out '" +
                                   (dir / "out").string() + "' '" + (dir / "a.mj").string() +
                                   "' '" + missing + "' '" + (dir / "b.avi").string() + "' 2>&1");
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("clipmux: " + missing + ": no such file\n"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("1 of 3 input(s) not converted"), std::string::npos);
    EXPECT_NE(result.output.find("変換データ数：3 / 3"), std::string::npos) << result.output;
    const clipmux_test::MovieFrames a = clipmux_test::ReadMovie(dir / "out" / "a.mov");
    EXPECT_EQ(a.frameRate, 15u);
    EXPECT_EQ(a.width, 160u);
    EXPECT_TRUE(fs::exists(dir / "out" / "a.mp3"));
    EXPECT_EQ(clipmux_test::ReadMovie(dir / "out" / "b.mov").frames.size(), 3u);

    const auto good =
        RunCommand(Clipmux() + " --graph --free-run --mono --bitrate 3 --rate 0 --out '" +
                   (dir / "out").string() + "' '" + (dir / "b.avi").string() + "' 2>&1");
    EXPECT_EQ(good.exitCode, 0) << good.output;
    EXPECT_NE(good.output.find("(decoding graph)"), std::string::npos) << good.output;
}

TEST(ClipmuxCliTest, UsageErrorsHelpAndVersion) {
    EXPECT_EQ(RunCommand(Clipmux() + " --help").exitCode, 0);
    const auto version = RunCommand(Clipmux() + " --version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("clipmux ", 0), 0u) << version.output;
    for (const char* bad : {"--fps 5 x.avi", "--size 2 x.avi", "--quality 11 x.avi",
                            "--bitrate 17 x.avi", "--rate x x.avi", "--what x.avi", "--mono"}) {
        const auto result = RunCommand(Clipmux() + " " + bad + " 2>&1");
        EXPECT_EQ(result.exitCode, 2) << bad << "\n" << result.output;
        EXPECT_EQ(result.output.rfind("clipmux: ", 0), 0u) << result.output;
    }
}

}  // namespace
