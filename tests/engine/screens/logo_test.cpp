// The brand logo end to end through the headless harness: the program as the
// player runs it, with a virtual clock and screenshots.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "engine/core/data_folder.h"
#include "engine/core/engine.h"
#include "engine/game/game.h"
#include "engine_test_support.h"
#include "golden_picture.h"
#include "platform/headless/headless_backend.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

golden::Picture Shot(const fs::path& folder, uint32_t ms) {
    char name[32];
    std::snprintf(name, sizeof name, "shot-%06u.png", ms);
    golden::Picture picture;
    EXPECT_TRUE(golden::ReadPng((folder / name).string(), &picture)) << name;
    return picture;
}

// The average of one channel over the whole picture.
double Mean(const golden::Picture& picture) {
    double sum = 0;
    for (uint8_t value : picture.rgb) sum += value;
    return picture.rgb.empty() ? 0 : sum / static_cast<double>(picture.rgb.size());
}

// Records the game state and brightness after every pass of the loop.
class StateRecorder : public core::EngineObserver {
public:
    void AfterPass(core::Engine& engine) override {
        uint32_t now = engine.backend.clock->TickCount();
        if (samples.empty() || samples.back().state != engine.flow.gameState ||
            samples.back().brightness != engine.Brightness()) {
            samples.push_back(
                {now, engine.flow.gameState, engine.Brightness(), CountSprites(engine)});
        }
    }
    static int CountSprites(const core::Engine& engine) {
        int count = 0;
        for (const auto& sprite : engine.sprites) count += sprite ? 1 : 0;
        return count;
    }
    struct Sample {
        uint32_t time;
        int32_t state;
        int32_t brightness;
        int sprites;
    };
    std::vector<Sample> samples;
};

TEST(Logo, FadesInHoldsFadesOutAndReachesTheTitle) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    fs::path shots = dir / "shots";
    auto result = testing_support::RunCommand(
        testing_support::MireloCommand() + " --headless --data '" + dir.path().string() +
        "' --until 7000 --shot-at 0,1000,2000,5500,6100 --shots '" + shots.string() + "'");
    ASSERT_EQ(result.exitCode, 0) << result.output;

    golden::Picture black = Shot(shots, 0);
    golden::Picture half = Shot(shots, 1000);
    golden::Picture full = Shot(shots, 2000);
    golden::Picture fading = Shot(shots, 5500);
    golden::Picture gone = Shot(shots, 6100);
    ASSERT_EQ(full.width, 320u);
    ASSERT_EQ(full.height, 240u);

    EXPECT_EQ(Mean(black), 0.0);
    EXPECT_EQ(Mean(gone), 0.0);
    // Brightness ramps linearly over 2 s; at 1 s the picture is about half as bright.
    double ratio = Mean(half) / Mean(full);
    EXPECT_NEAR(ratio, 0.5, 0.04);
    double fadingRatio = Mean(fading) / Mean(full);
    EXPECT_GT(fadingRatio, 0.3);
    EXPECT_LT(fadingRatio, 0.7);
    // At full brightness the logo appears as drawn, upright: the ring's left
    // edge at (60, 120) is orange, the bar at (240, 120) white.
    EXPECT_GT(full.At(60, 120)[0], 200);
    EXPECT_LT(full.At(60, 120)[2], 80);
    EXPECT_GT(full.At(240, 120)[2], 200);
    EXPECT_LT(full.At(240, 20)[0], 40);

    for (auto [picture, name] : {std::pair{&half, "logo-1000"}, std::pair{&full, "logo-2000"},
                                 std::pair{&fading, "logo-5500"}}) {
        std::string difference = golden::Compare(*picture, name);
        EXPECT_TRUE(difference.empty()) << difference;
    }
}

TEST(Logo, TapDuringTheFadeInGoesStraightToTheTitleAtFullBrightness) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    testing_support::WriteHostFile(dir / "input.txt",
                                   std::string("# skip the logo\n500 tap 160 120\n"));
    platform::Backend backend = engine_test::HeadlessBackendFor(dir.path(), 1500);
    ASSERT_TRUE(backend.window);
    StateRecorder recorder;
    EXPECT_EQ(game::RunGame(backend, dir.path().string() + "/", &recorder), 0);

    ASSERT_FALSE(recorder.samples.empty());
    EXPECT_EQ(recorder.samples.back().state, core::kStateTitle);
    // The logo hands over at full brightness with nothing of its own left;
    // the title then builds its picture.
    const auto arrival = std::find_if(recorder.samples.begin(), recorder.samples.end(),
                                      [](const auto& s) { return s.state == core::kStateTitle; });
    ASSERT_NE(arrival, recorder.samples.end());
    EXPECT_EQ(arrival->brightness, 256);
    EXPECT_EQ(arrival->sprites, 0);
    // The title was reached within a frame or two of the tap, still in the fade-in.
    for (const auto& sample : recorder.samples) {
        if (sample.time < 16) continue;  // before the first frame
        if (sample.state == core::kStateTitle) {
            EXPECT_GE(sample.time, 500u);
            EXPECT_LT(sample.time, 540u);
            break;
        }
        EXPECT_LT(sample.brightness, 256);
    }
}

TEST(Logo, ReachesTheTitleAfterFadeInHoldAndFadeOut) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    platform::Backend backend = engine_test::HeadlessBackendFor(dir.path(), 7000);
    ASSERT_TRUE(backend.window);
    StateRecorder recorder;
    EXPECT_EQ(game::RunGame(backend, dir.path().string() + "/", &recorder), 0);
    uint32_t fullAt = 0, titleAt = 0;
    int spritesAtTitle = -1;
    for (const auto& sample : recorder.samples) {
        if (fullAt == 0 && sample.brightness == 256 && sample.time > 16) fullAt = sample.time;
        if (titleAt == 0 && sample.state == core::kStateTitle) {
            titleAt = sample.time;
            spritesAtTitle = sample.sprites;
        }
    }
    // Frames come every 16 ms, so each step may start up to a frame late.
    EXPECT_GE(fullAt, 2000u);
    EXPECT_LE(fullAt, 2040u);
    EXPECT_GE(titleAt, 6000u);
    EXPECT_LE(titleAt, 6100u);
    EXPECT_EQ(spritesAtTitle, 0);
}

TEST(Logo, MissingLogoPictureEndsTheProgram) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path(), {.withLogo = false});
    auto result =
        testing_support::RunCommand(testing_support::MireloCommand() + " --headless --data '" +
                                    dir.path().string() + "' --until 60000");
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("Tarnel2.rbp"), std::string::npos) << result.output;
}

TEST(Logo, MissingDataFolderIsReportedBeforeTheLogoFails) {
    testing_support::TempDir dir;
    auto result =
        testing_support::RunCommand(testing_support::MireloCommand() + " --headless --data '" +
                                    dir.path().string() + "' --until 1000");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("grpack.mlz: No such file or directory"), std::string::npos)
        << result.output;
}

}  // namespace
