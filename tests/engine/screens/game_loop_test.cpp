// The game as a player meets it, from the title round to the title again
// (through the logo, as the end of a route goes): the story choice, the
// opening movie, the main story's days with the date screen and the map between them, a route's
// ending pictures; and each gallery and the scenario select entered from
// the title and left again. Keys and taps only, as the window delivers
// them; no picture may fail to load on the way.

#include <gtest/gtest.h>

#include <vector>

#include "engine/movie/movie_test_data.h"
#include "running_game.h"
#include "screen_run.h"

namespace {

using formats::MesOp;
using story_test::ScriptBuilder;

constexpr int kSecondEndingBit = 2033;

story_test::StoryFolder LoopFolder() {
    story_test::StoryFolder content;
    screen_test::AddScreenPictures(content);
    screen_test::AddMapPictures(content);
    // Three days of late February, each a page; then a place of the map,
    // past the chain's dates, that ends on the second route.
    auto day = [](int32_t date) {
        return ScriptBuilder(0)
            .Named(MesOp::kBackground, "back\\day")
            .Op(MesOp::kEyecatchNumbers, {0, 2, date})
            .Op(MesOp::kEyecatchChip, {3})
            .Text("あいうえお")
            .Op(MesOp::kPageWait)
            .Op(MesOp::kEndScenario)
            .Bytes();
    };
    content.scenarios1["day01"] = day(25);
    content.scenarios1["day02"] = day(26);
    content.scenarios1["day03"] = day(26);
    content.scenarios1["place"] = ScriptBuilder(0)
                                      .Op(MesOp::kEyecatchNumbers, {0, 5, 0})
                                      .Op(MesOp::kAddVar, {29, 2})  // variable 31: the route
                                      .Op(MesOp::kEndScenario)
                                      .Bytes();
    content.dataset =
        "[date-chain]\n0 = GameData\\sinario\\day01.MES\n1 = GameData\\sinario\\day02.MES\n"
        "2 = GameData\\sinario\\day03.MES\n"
        "[map-places 1]\n";
    for (int place = 0; place < 5; ++place)
        content.dataset += std::to_string(place) + " = GameData\\sinario\\place.MES\n";
    content.dataset += "[ending-pictures 2]\n";
    for (int pair = 0; pair < 27; ++pair) {
        char line[64];
        std::snprintf(line, sizeof line, "%d = GameData\\char\\staff\\r2_%02d.rbp\n", pair, pair);
        content.dataset += line;
    }
    return content;
}

// The states a run went through, and whether a movie played on the way.
struct Visits {
    std::vector<int32_t> states;
    bool moviePlayed = false;
};

// Runs frames until the game is in the state (and sub-state, when given),
// noting what it passes through; false after maxMs.
bool RunUntil(screen_test::RunningGame& game, int32_t state, Visits* visits, int32_t sub = -1,
              uint32_t maxMs = 30000) {
    std::vector<int32_t>* visited = &visits->states;
    for (uint32_t passed = 0; passed <= maxMs; passed += 16) {
        const core::GameFlow& flow = game.Engine().flow;
        if (game.Engine().movie != nullptr && game.Engine().movie->IsMoviePlaying())
            visits->moviePlayed = true;
        if (visited->empty() || visited->back() != flow.gameState)
            visited->push_back(flow.gameState);
        if (flow.gameState == state && (sub < 0 || flow.subState == sub)) return true;
        game.Frame();
    }
    return false;
}

// Taps the middle of a box given in design pixels (800 x 600).
void TapDesign(screen_test::RunningGame& game, int x, int y, int width, int height) {
    game.Tap((x + width / 2) * 320 / 800, (y + height / 2) * 240 / 600);
}

void PressTimes(screen_test::RunningGame& game, uint32_t key, int times) {
    for (int i = 0; i < times; ++i) game.Press(key);
}

TEST(GameLoop, FromTheTitleThroughAStoryAndItsEndingBackToTheTitle) {
    screen_test::RunningGame game(LoopFolder());
    // The opening movie: a second of frames, before the main story.
    movie_test::WriteMovie(game.Folder() / "QV_Long.mov", 15, 320, 240,
                           movie_test::SolidFrames(15, 320, 240));
    Visits visited;
    ASSERT_TRUE(RunUntil(game, core::kStateTitle, &visited, 2));
    game.Press(platform::kVkDown);  // start
    game.Press(platform::kVkC);
    // The three stories on the window's plates: the middle one, the main story.
    ASSERT_TRUE(RunUntil(game, core::kStateTitle, &visited, 11));
    game.RunFor(500);
    PressTimes(game, platform::kVkDown, 2);
    game.Press(platform::kVkC);
    ASSERT_TRUE(RunUntil(game, core::kStateScript, &visited));
    game.RunFor(500);
    game.Press(platform::kVkC);  // the first day's page
    ASSERT_TRUE(RunUntil(game, core::kStateDate, &visited, 2));
    game.Press(platform::kVkDown);
    game.Press(platform::kVkC);
    ASSERT_TRUE(RunUntil(game, core::kStateScript, &visited));
    for (int page = 0; page < 2; ++page) {  // the second and third days
        game.RunFor(500);
        game.Press(platform::kVkC);
    }
    ASSERT_TRUE(RunUntil(game, core::kStateMap, &visited));
    game.RunFor(1500);
    game.Press(platform::kVkDown);
    game.Press(platform::kVkC);
    ASSERT_TRUE(RunUntil(game, core::kStateEndingPictures, &visited));
    game.RunFor(3000);
    game.Tap(160, 120);
    ASSERT_TRUE(RunUntil(game, core::kStateTitle, &visited, 2));

    EXPECT_EQ(
        visited.states,
        (std::vector<int32_t>{core::kStateTitle, core::kStateScript, core::kStateDate,
                              core::kStateScript, core::kStateMap, core::kStateScript,
                              core::kStateEndingPictures, core::kStateLogo, core::kStateTitle}));
    EXPECT_TRUE(visited.moviePlayed);
    EXPECT_TRUE(game.Story().vars.GlobalBit(kSecondEndingBit));
    EXPECT_EQ(game.Engine().errorWord, 0u);
}

TEST(GameLoop, EachGalleryAndTheScenarioSelectOpenFromTheTitleAndLeave) {
    screen_test::RunningGame game(LoopFolder());
    Visits visited;
    struct Screen {
        int downs;  // from no selection: 0 start, 1 load, 2..4 the extras
        int32_t state;
        int leaveX, leaveY;
    };
    const Screen screens[] = {{3, core::kStateScenarioSelect, 608, 264},
                              {4, core::kStateCgGallery, 624, 488},
                              {5, core::kStateMusicGallery, 592, 280}};
    for (const Screen& screen : screens) {
        SCOPED_TRACE(screen.state);
        ASSERT_TRUE(RunUntil(game, core::kStateTitle, &visited, 2));
        PressTimes(game, platform::kVkDown, screen.downs);
        game.Press(platform::kVkC);
        ASSERT_TRUE(RunUntil(game, screen.state, &visited));
        game.RunFor(1500);
        TapDesign(game, screen.leaveX, screen.leaveY, 120, 32);
        ASSERT_TRUE(RunUntil(game, core::kStateTitle, &visited, 2));
    }
    EXPECT_EQ(visited.states,
              (std::vector<int32_t>{core::kStateTitle, core::kStateScenarioSelect,
                                    core::kStateTitle, core::kStateCgGallery, core::kStateTitle,
                                    core::kStateMusicGallery, core::kStateTitle}));
    EXPECT_EQ(game.Engine().errorWord, 0u);
}

}  // namespace
