// The scene effects at chosen times: scrolls, pans, the eye-catch, the
// particles and the place-name caption.

#include <gtest/gtest.h>

#include "engine/script/interpreter.h"
#include "story_fixture.h"

namespace {

using formats::MesOp;
using story_test::ScriptBuilder;
using story_test::StoryEngine;
using story_test::StoryFolder;

StoryFolder Folder(int dialect, const ScriptBuilder& script) {
    StoryFolder folder;
    (dialect == 0 ? folder.scenarios1 : folder.scenarios2)["main"] = script.Bytes();
    return folder;
}

// The upward scroll moves the background out at the top and the scroll
// picture in from below over 4 s; a press finishes it at once.
TEST(SceneEffectsTest, VerticalScrollFollowsTheClockAndAPressFinishesIt) {
    ScriptBuilder s(0);
    s.Named(MesOp::kBackground, "back\\day")
        .Named(MesOp::kScrollBelow, "scroll")
        .Op(MesOp::kScrollUp)
        .Op(MesOp::kSetFlag, {0, 1})
        .Raw({200});
    StoryEngine story(Folder(0, s));
    ASSERT_TRUE(story.Story().StartScenario(0, "main"));
    story.Frame(0);  // first run at t = 0
    story.Frame(2000);
    // Halfway: the background at design y -300, the scroll at 300 (screen
    // rows -120 and 120).
    core::Sprite* back = story.Engine().SpriteAt(script::kBackgroundSlot);
    core::Sprite* scroll = story.Engine().SpriteAt(script::kScrollSlot);
    ASSERT_NE(back, nullptr);
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(story.ScreenPixel(100, 60), (std::array<int, 3>{56, 120, 216}));
    EXPECT_EQ(story.ScreenPixel(100, 180), (std::array<int, 3>{200, 40, 40}));
    EXPECT_EQ(story.Story().vars.Flag(2, 1), 0);
    story.Engine().inputState.keyC = 1;
    story.Frame();
    EXPECT_EQ(story.ScreenPixel(100, 200), (std::array<int, 3>{200, 40, 40}));
    story.Frame();
    EXPECT_EQ(story.Story().vars.Flag(2, 1), 1);
}

// The pan slides both pictures right by the pan width over 3 s.
TEST(SceneEffectsTest, PanEndsWithTheBackgroundMovedByTheWidth) {
    ScriptBuilder s(0);
    s.Named(MesOp::kBackground, "back\\day")
        .Op(MesOp::kPanSetup, {400}, "scroll")
        .Op(MesOp::kPan)
        .Op(MesOp::kSetFlag, {0, 1})
        .Raw({200});
    StoryEngine story(Folder(0, s));
    ASSERT_TRUE(story.Story().StartScenario(0, "main"));
    story.Frame(0);
    story.Frame(1500);
    // Halfway: background at x 200, the pan picture at -200 (screen 80).
    EXPECT_EQ(story.ScreenPixel(40, 120), (std::array<int, 3>{200, 40, 40}));
    EXPECT_EQ(story.ScreenPixel(100, 120), (std::array<int, 3>{56, 120, 216}));
    story.Frame(1600);
    story.Frame();
    EXPECT_EQ(story.Story().vars.Flag(2, 1), 1);
    EXPECT_EQ(story.ScreenPixel(100, 120), (std::array<int, 3>{200, 40, 40}));
    EXPECT_EQ(story.ScreenPixel(200, 120), (std::array<int, 3>{56, 120, 216}));
}

// The eye-catch shows its picture for 3 s and then clears it.
TEST(SceneEffectsTest, EyecatchHoldsThreeSeconds) {
    ScriptBuilder s(0);
    s.Op(MesOp::kEyecatchNumbers, {0, 4, 12})
        .Op(MesOp::kEyecatchChip, {1})
        .Op(MesOp::kEyecatchShow)
        .Op(MesOp::kSetFlag, {0, 1})
        .Raw({200});
    StoryEngine story(Folder(0, s));
    ASSERT_TRUE(story.Story().StartScenario(0, "main"));
    story.Frame(0);
    EXPECT_NE(story.Engine().SpriteAt(10), nullptr);
    EXPECT_NE(story.Engine().SpriteAt(13), nullptr);  // the second number has tens
    EXPECT_EQ(story.ScreenPixel(10, 10), (std::array<int, 3>{240, 240, 200}));
    story.Frame(2900);
    EXPECT_NE(story.Engine().SpriteAt(10), nullptr);
    story.Frame(200);
    story.Frame();
    EXPECT_EQ(story.Engine().SpriteAt(10), nullptr);
    EXPECT_EQ(story.Story().vars.Flag(2, 1), 1);
}

// Particles fall from the top inside the picture, the same way every run,
// and stop with their sprites gone.
TEST(SceneEffectsTest, ParticlesFallDeterministicallyAndStop) {
    auto run = [](std::vector<std::pair<int32_t, int32_t>>* positions) {
        ScriptBuilder s(1);
        s.Op(MesOp::kParticlesOn).Raw({200});
        StoryEngine story(Folder(1, s));
        EXPECT_TRUE(story.Story().StartScenario(1, "main"));
        story.Frames(400);
        int count = 0;
        for (int i = 0; i < 64; ++i) {
            core::Sprite* sprite = story.Engine().SpriteAt(script::kParticleSpriteBase + i);
            if (!sprite) continue;
            ++count;
            positions->push_back({sprite->Object().x, sprite->Object().y});
            EXPECT_LT(sprite->Object().y, 240);
        }
        EXPECT_GT(count, 0);
        EXPECT_LE(count, 32);
        story.Story().StopParticles();
        for (int i = 0; i < 64; ++i)
            EXPECT_EQ(story.Engine().SpriteAt(script::kParticleSpriteBase + i), nullptr);
    };
    std::vector<std::pair<int32_t, int32_t>> first, second;
    run(&first);
    run(&second);
    EXPECT_EQ(first, second);
}

// The place name fades in over 1 s, holds, fades out by 4 s; a background of
// the same place does not show it again.
TEST(SceneEffectsTest, PlaceNameCaptionFadesAndIsNotRepeatedForTheSamePlace) {
    script::DataSetTables tables;
    tables.placeNames = {{2, "GameData\\char\\back\\day.rbp"},
                         {2, "GameData\\char\\back\\night.rbp"}};
    ScriptBuilder s(0);
    s.Named(MesOp::kBackgroundFade, "back\\day").Op(MesOp::kSetFlag, {0, 1}).Raw({200});
    StoryEngine story(Folder(0, s), tables);
    ASSERT_TRUE(story.Story().StartScenario(0, "main"));
    story.Engine().settings.effectUse = 0;
    story.Frame();  // hides the window
    story.Frame();  // the new background, the caption
    auto alpha = [&] {
        core::Sprite* caption = story.Engine().SpriteAt(script::kCaptionSprite);
        return caption ? caption->Alpha() : -1;
    };
    EXPECT_EQ(alpha(), 0);
    story.Frame(500);
    EXPECT_NEAR(alpha(), 128, 8);
    story.Frame(1000);  // 1.5 s
    EXPECT_EQ(alpha(), 256);
    story.Frame(2000);  // 3.5 s: the fade-out begins
    story.Frame(200);   // 3.7 s
    EXPECT_NEAR(alpha(), 77, 8);
    story.Frame(400);  // 4.1 s
    EXPECT_EQ(alpha(), -1);

    story.Story().ShowPlaceName("GameData\\char\\back\\NIGHT.rbp");
    EXPECT_EQ(story.Engine().SpriteAt(script::kCaptionSprite), nullptr);
}

// The menu's particle, place-name and manner-mode settings act on the
// running scene at once; particles turned back on start again.
TEST(SceneEffectsTest, MenuSettingsActOnTheRunningScene) {
    script::DataSetTables tables;
    tables.placeNames = {{2, "GameData\\char\\back\\day.rbp"}};
    tables.shadedBackgrounds = {"GameData\\char\\back\\DAY.rbp"};
    ScriptBuilder s(0);
    s.Op(MesOp::kParticlesOn)
        .Named(MesOp::kBackgroundFade, "back\\day")
        .Op(MesOp::kSetFlag, {0, 1})
        .Raw({200});
    StoryEngine story(Folder(0, s), tables);
    core::Settings& settings = story.Engine().settings;
    settings.effectUse = 0;
    settings.dispFreeMode = 1;
    ASSERT_TRUE(story.Story().StartScenario(0, "main"));
    story.Frame();
    story.Frame();
    story.Frame(1500);
    auto brightness = [&] {
        return story.Engine().SpriteAt(script::kBackgroundSlot)->Placement().brightness;
    };
    auto particles = [&] {
        int count = 0;
        for (int i = 0; i < 64; ++i)
            count += story.Engine().SpriteAt(script::kParticleSpriteBase + i) != nullptr;
        return count;
    };
    ASSERT_NE(story.Engine().SpriteAt(script::kBackgroundSlot), nullptr);
    EXPECT_EQ(brightness(), 64);
    EXPECT_NE(story.Engine().SpriteAt(script::kCaptionSprite), nullptr);
    EXPECT_GT(particles(), 0);

    settings.dispFreeMode = 2;
    story.Story().ApplyMannerMode();
    EXPECT_EQ(brightness(), 0);
    settings.dispFreeMode = 0;
    story.Story().ApplyMannerMode();
    EXPECT_EQ(brightness(), 256);

    settings.backgroundNameDisplay = 0;
    story.Story().ApplyPlaceNameSetting();
    EXPECT_EQ(story.Engine().SpriteAt(script::kCaptionSprite), nullptr);

    settings.tilvaMode = 0;
    story.Story().ApplyParticleSetting();
    EXPECT_EQ(particles(), 0);
    story.Frame(1500);
    EXPECT_EQ(particles(), 0);
    settings.tilvaMode = 1;
    story.Story().ApplyParticleSetting();
    story.Frame(1500);
    EXPECT_GT(particles(), 0);
}

}  // namespace
