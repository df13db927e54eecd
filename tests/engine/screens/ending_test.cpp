// The staff roll and the ending pictures end to end: a story ends on a
// route, and the screens that close it run paced by the music's position.
// These folders have no music device, so the pace comes from the engine
// clock, as it must when the music is off or its file is missing.

#include <gtest/gtest.h>

#include "engine/gfx/rect.h"
#include "engine/sound/music_controller.h"
#include "screen_run.h"

namespace {

namespace fs = std::filesystem;
using formats::MesOp;
using story_test::ScriptBuilder;

// A main-story scenario past the date chain that ends on a route: directly
// (route variable), or through the route flags that the staff roll follows.
std::vector<uint8_t> EndsOnRoute(int32_t route, int32_t flagRow = -1) {
    ScriptBuilder script(0);
    script.Op(MesOp::kEyecatchNumbers, {0, 5, 0});
    if (route > 0) script.Op(MesOp::kAddVar, {29, route});  // variable 31
    if (flagRow >= 0) script.Op(MesOp::kSetFlag, {flagRow, 12});
    return script.Op(MesOp::kEndScenario).Bytes();
}

struct EndingFolder {
    EndingFolder() {
        story_test::StoryFolder content;
        screen_test::AddScreenPictures(content);
        content.scenarios1["route2"] = EndsOnRoute(2);
        content.scenarios1["roll2"] = EndsOnRoute(0, 1);
        content.scenarios1["roll3"] = EndsOnRoute(0, 2);
        content.scenarios1["end_town"] =
            ScriptBuilder(0).Text("おわり").Op(MesOp::kPageWait).Bytes();
        content.dataset = screen_test::ScreenDataSet();
        story_test::BuildStoryFolder(dir.path(), content);
    }
    testing_support::TempDir dir;
};

constexpr int kSecondEndingBit = 2033;

bool Near(const golden::Picture& picture, int x, int y, std::array<uint8_t, 3> colour) {
    const uint8_t* pixel = picture.At(x, y);
    for (int c = 0; c < 3; ++c)
        if (std::abs(pixel[c] - colour[c]) > 8) return false;
    return true;
}

// The whole sequence: each pair of route 2 fades in on its beat, 5 s apart
// from 12 s on, its left picture from the data set's row; the closing
// pictures follow; the reached ending is written before the title returns.
TEST(EndingPictures, RunTheWholeSequenceOnTheClockAndWriteTheEnding) {
    EndingFolder folder;
    screen_test::Run run;
    run.start = {"route2", 0};
    run.untilMs = 170000;
    run.shotTimes = {13500, 18500, 150000};
    screen_test::Recorder recorder;
    std::vector<uint32_t> fullAt;  // when sprite 11 or 13 became fully opaque
    int32_t lastAlpha[2] = {0, 0};
    int32_t darkest = 256;
    bool writtenBeforeTitle = false;
    run.afterPass = [&](core::Engine& engine, game::Game&) {
        recorder.Note(engine);
        const uint32_t now = engine.backend.clock->TickCount();
        if (engine.flow.gameState == core::kStateEndingPictures) {
            for (int i = 0; i < 2; ++i) {
                const int32_t alpha = screen_test::PlacementOf(engine, 11 + 2 * i).alpha;
                const bool shown = engine.SpriteAt(11 + 2 * i) != nullptr;
                if (shown && alpha == 256 && lastAlpha[i] != 256) fullAt.push_back(now);
                lastAlpha[i] = shown ? alpha : 0;
            }
            darkest = std::min(darkest, engine.Brightness());
        }
        if (engine.flow.gameState == core::kStateLogo && recorder.steps.size() > 1 &&
            recorder.steps[recorder.steps.size() - 2].state == core::kStateEndingPictures)
            writtenBeforeTitle = screen_test::SystemFileBit(folder.dir.path(), kSecondEndingBit);
    };
    ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);

    // 27 pairs, then the second closing picture (sprite 11 again).
    ASSERT_EQ(fullAt.size(), 28u);
    for (size_t pair = 0; pair < 27; ++pair) {
        SCOPED_TRACE(pair);
        EXPECT_GE(fullAt[pair], 13000 + 5000 * pair);
        EXPECT_LE(fullAt[pair], 13000 + 5000 * pair + 80);
    }
    EXPECT_GE(fullAt[27], 153000u);
    EXPECT_LE(fullAt[27], 153080u);
    EXPECT_LT(darkest, 20) << "the closing fade";
    EXPECT_TRUE(writtenBeforeTitle);
    EXPECT_EQ(recorder.steps.back().state, core::kStateLogo);
    EXPECT_TRUE(recorder.Visited(core::kStateEndingPictures, 16));

    EXPECT_EQ(golden::Compare(screen_test::Shot(folder.dir.path(), 13500), "ending-first-pair"),
              "");
    golden::Picture second = screen_test::Shot(folder.dir.path(), 18500);
    EXPECT_TRUE(Near(second, 80, 120, screen_test::LeftPictureColour(1)));
    EXPECT_TRUE(Near(second, 250, 120, screen_test::CaptionPictureColour(1)));
    golden::Picture closing = screen_test::Shot(folder.dir.path(), 150000);
    EXPECT_TRUE(Near(closing, 80, 120, {160, 240, 200}));
    EXPECT_TRUE(Near(closing, 250, 120, {160, 240, 200}));
}

// A tap stops the pictures at once, and the ending is on disk before the
// title comes back.
TEST(EndingPictures, TapWritesTheSystemFileBeforeReturningToTheTitle) {
    EndingFolder folder;
    screen_test::Run run;
    run.start = {"route2", 0};
    run.untilMs = 21000;
    run.input = "20000 tap 160 120\n";
    bool writtenEarly = false;
    bool writtenAtTitle = false;
    uint32_t titleAt = 0;
    int sprites = -1;
    run.afterPass = [&](core::Engine& engine, game::Game&) {
        if (engine.flow.gameState == core::kStateEndingPictures) {
            writtenEarly = writtenEarly || fs::exists(folder.dir / "save000.dat");
        } else if (engine.flow.gameState == core::kStateLogo && titleAt == 0) {
            titleAt = engine.backend.clock->TickCount();
            writtenAtTitle = screen_test::SystemFileBit(folder.dir.path(), kSecondEndingBit);
            sprites = 0;
            for (const auto& sprite : engine.sprites) sprites += sprite ? 1 : 0;
        }
    };
    ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);
    EXPECT_FALSE(writtenEarly);
    EXPECT_TRUE(writtenAtTitle);
    EXPECT_GE(titleAt, 20000u);
    EXPECT_LT(titleAt, 20040u);
    EXPECT_EQ(sprites, 0);
}

// The staff roll: the stack of pictures rises with the music's position and
// leaves the screen at its end; then the route's ending scenario runs in
// its window.
TEST(StaffRoll, ScrollsWithThePaceAndThenRunsTheRoutesEnding) {
    EndingFolder folder;
    screen_test::Run run;
    run.start = {"roll2", 0};
    run.untilMs = 221000;
    run.shotTimes = {60000};
    screen_test::Recorder recorder;
    int checked = 0;
    uint32_t nextCheck = 1000;
    std::string scenario;
    bool window = false;
    run.afterPass = [&](core::Engine& engine, game::Game& game) {
        recorder.Note(engine);
        const uint32_t now = engine.backend.clock->TickCount();
        if (engine.flow.gameState == core::kStateStaffRoll && engine.flow.subState == 1 &&
            now >= nextCheck) {
            nextCheck += 7000;
            // The observer reads the clock a moment after the pass placed the
            // pictures: one pixel of travel may lie between.
            const int64_t hundredths = engine.Music().PacedPositionMs() / 10;
            const int64_t top = 240 - hundredths * 16800 / 220000;
            const int32_t shownTop = gfx::DesignToScreenY(screen_test::PlacementOf(engine, 10).y);
            EXPECT_NEAR(shownTop, top, 1) << now;
            for (int i = 1; i < 6; ++i) {
                EXPECT_EQ(gfx::DesignToScreenY(screen_test::PlacementOf(engine, 10 + i).y),
                          shownTop + 240 * i)
                    << now;
            }
            ++checked;
        }
        scenario = game.Story().state.scenarioPath;
        window = game.Story().Window() != nullptr;
    };
    ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);
    EXPECT_GT(checked, 25);
    EXPECT_EQ(golden::Compare(screen_test::Shot(folder.dir.path(), 60000), "staff-roll"), "");
    EXPECT_TRUE(recorder.Visited(core::kStateStaffRoll, 2));
    ASSERT_EQ(recorder.steps.back().state, core::kStateScript);
    // The roll ends at 220 s of its music.
    EXPECT_GE(recorder.steps.back().time, 220000u);
    EXPECT_EQ(scenario, "GameData\\sinario\\end_town.MES");
    EXPECT_TRUE(window);
}

// A tap ends the roll at once: the route's ending when the data set has
// one, the title when it has none.
TEST(StaffRoll, TapGoesToTheEndingOrTheTitle) {
    struct Case {
        const char* scenario;
        int32_t state;
        const char* ending;
    };
    const Case cases[] = {
        {"roll2", core::kStateScript, "GameData\\sinario\\end_town.MES"},
        {"roll3", core::kStateLogo, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.scenario);
        EndingFolder folder;
        screen_test::Run run;
        run.start = {test.scenario, 0};
        run.untilMs = 5100;
        run.input = "5000 tap 160 120\n";
        screen_test::Recorder recorder;
        std::string scenario;
        bool staffShown = false;
        run.afterPass = [&](core::Engine& engine, game::Game& game) {
            recorder.Note(engine);
            scenario = game.Story().state.scenarioPath;
            // (The logo that follows the title's return takes slot 10.)
            staffShown = false;
            for (int sprite = 11; sprite <= 15; ++sprite)
                staffShown = staffShown || engine.SpriteAt(sprite) != nullptr;
        };
        ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);
        EXPECT_TRUE(recorder.Visited(core::kStateStaffRoll, 1));
        EXPECT_EQ(recorder.steps.back().state, test.state);
        EXPECT_GE(recorder.steps.back().time, 5000u);
        EXPECT_EQ(scenario, test.ending);
        EXPECT_FALSE(staffShown);
    }
}

}  // namespace
