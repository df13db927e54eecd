// The third story's epilogue, reached through its scenario's end: pictures
// paced by the music position (the engine clock with the music off), the
// final scenario of the ending chosen, and the skip.

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/sound/music_controller.h"
#include "running_game.h"

namespace {

using formats::MesOp;
using screen_test::Painted;
using screen_test::RunningGame;

constexpr uint32_t kColours[14] = {0xE02020, 0x20E020, 0x2020E0, 0xE0E020, 0xE020C0,
                                   0x20E0E0, 0xE08020, 0x8020E0, 0x20E080, 0xE02080,
                                   0x808020, 0x208080, 0x802080, 0xF0F0F0};

// A scenario that sets the ending flags (row 2, columns 1 and 2) and ends.
std::vector<uint8_t> Ending(bool first, bool second) {
    story_test::ScriptBuilder script(2);
    if (first) script.Op(MesOp::kSetFlag, {2, 1});
    if (second) script.Op(MesOp::kSetFlag, {2, 2});
    script.Op(MesOp::kEndScenario);
    return script.Bytes();
}

story_test::StoryFolder EpilogueFolder() {
    story_test::StoryFolder content;
    content.dataset = "[music 2]\n12 = bgm\\epilogue.mp3\n[epilogue-pictures]\n";
    for (int k = 0; k < 14; ++k) {
        char path[64];
        std::snprintf(path, sizeof path, "GameData\\char\\ep\\ep%02d.rbp", k);
        content.dataset += std::to_string(k) + " = " + path + "\n";
        // Diagonal stripes show the picture's orientation.
        content.pictures2[path] = Painted(320, 240, [k](int x, int y) {
            return (x + y) / 80 % 2 ? kColours[k] : (kColours[k] >> 1) & 0x7F7F7F;
        });
    }
    content.scenarios2["ending"] = Ending(true, true);
    content.scenarios2["ending1"] = Ending(true, false);
    story_test::ScriptBuilder final(2);
    final.Op(MesOp::kEndScenario);
    content.scenarios2["00706_05a"] = final.Bytes();
    content.scenarios2["00706_06a"] = final.Bytes();
    return content;
}

bool Seen(RunningGame& game, const std::string& name) {
    const auto& seen = game.Story().state.seenScenarios;
    return std::find(seen.begin(), seen.end(), name) != seen.end();
}

// With the music off the pictures still come every 5 s on the engine
// clock, each fading in over the one before. With both endings' flags the
// second ending's scenario is the only one loaded, and the ending shown is
// recorded.
TEST(EpilogueScreen, PacedByTheClockWithMusicOffLoadsTheWinningEndingOnce) {
    RunningGame game(EpilogueFolder());
    core::Engine& engine = game.Engine();
    engine.settings.pcm = sound::kMusicOff;
    engine.music->SetMode(engine.mixer.get(), sound::kMusicOff);
    ASSERT_TRUE(game.Story().StartScenario(2, "ending"));
    game.Frame();
    ASSERT_EQ(engine.flow.gameState, core::kStateEpilogue);
    game.Frame();
    EXPECT_EQ(engine.music->Name(), "epilogue.mp3");
    EXPECT_EQ(game.Story().Window(), nullptr);
    const uint32_t start = engine.clock.Now();

    // When each picture starts to fade in, in ms after the start.
    std::vector<uint32_t> shownAt;
    int32_t subState = engine.flow.subState;
    int shots = 0;
    while (engine.flow.gameState == core::kStateEpilogue && engine.clock.Now() - start < 80000) {
        game.Frame();
        const uint32_t now = engine.clock.Now() - start;
        if (subState == 2 && engine.flow.subState == 3) shownAt.push_back(now);
        subState = engine.flow.subState;
        // The first picture in full; the second half-way through its fade.
        if (shots == 0 && now >= 2500) {
            EXPECT_EQ(golden::Compare(game.Screen(), "epilogue-first"), "");
            ++shots;
        }
        if (shots == 1 && shownAt.size() == 2 && now - shownAt[1] >= 500) {
            EXPECT_EQ(golden::Compare(game.Screen(), "epilogue-crossfade"), "");
            ++shots;
        }
    }
    EXPECT_EQ(shots, 2);
    ASSERT_EQ(shownAt.size(), 14u);
    for (uint32_t k = 0; k < 14; ++k) {
        EXPECT_GE(shownAt[k], 5000 * k) << k;
        EXPECT_LT(shownAt[k], 5000 * k + 40) << k;
    }
    // The last picture's fade and the 3 s hold.
    EXPECT_GE(engine.clock.Now() - start, 69000u);
    EXPECT_LT(engine.clock.Now() - start, 69100u);

    EXPECT_EQ(engine.flow.gameState, core::kStateScript);
    EXPECT_EQ(game.Story().state.scenarioPath, "GameData\\sinario\\00706_06a.MES");
    EXPECT_TRUE(Seen(game, "00706_06a.MES"));
    EXPECT_FALSE(Seen(game, "00706_05a.MES"));
    EXPECT_EQ(game.Story().vars.Flag(2, 16), 2);
    EXPECT_NE(game.Story().Window(), nullptr);
    for (int slot : {10, 11}) {
        EXPECT_EQ(engine.SpriteAt(slot), nullptr);
        EXPECT_EQ(engine.ImageAt(slot), nullptr);
    }
    // The flags were used up: the final scenario's end returns to the title.
    game.Frame();
    EXPECT_EQ(engine.flow.gameState, core::kStateLogo);
}

// A tap skips to the final scenario at once and records no ending shown.
TEST(EpilogueScreen, ATapSkipsToTheFinalScenario) {
    RunningGame game(EpilogueFolder());
    core::Engine& engine = game.Engine();
    ASSERT_TRUE(game.Story().StartScenario(2, "ending1"));
    game.RunFor(3000);
    ASSERT_EQ(engine.flow.gameState, core::kStateEpilogue);
    EXPECT_NE(engine.SpriteAt(10), nullptr);
    engine.input.OnStylusDown(120, 160);
    game.Frame();
    EXPECT_EQ(engine.flow.gameState, core::kStateScript);
    EXPECT_EQ(game.Story().state.scenarioPath, "GameData\\sinario\\00706_05a.MES");
    EXPECT_EQ(game.Story().vars.Flag(2, 16), 0);
    EXPECT_EQ(game.Story().vars.Flag(2, 1), 0);
    EXPECT_EQ(engine.SpriteAt(10), nullptr);
    EXPECT_EQ(engine.music->Name(), "");
    EXPECT_NE(game.Story().Window(), nullptr);
}

}  // namespace
