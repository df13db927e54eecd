// The map between the first story's scenarios, started as the date chain
// starts it: pictures, keys, taps, the place table and the next scenario.

#include <gtest/gtest.h>

#include "running_game.h"

namespace {

using screen_test::kPalette;
using screen_test::Painted;
using screen_test::RunningGame;

story_test::StoryFolder MapFolder() {
    story_test::StoryFolder content;
    screen_test::AddMapPictures(content);
    auto& pictures = content.pictures1;
    // The message window's sheet with the date's frame, weekday and digit cells.
    pictures["GameData\\system\\MESSWIN3.rbp"] = Painted(
        304, 150,
        [](int x, int y) {
            if (y < 296 || x < 432) return 0x141450u;
            if (y < 328) return 0xC0C0C0u;
            if (y < 352) return kPalette[((x - 432) / 32) % 8];
            return kPalette[(x / 16) % 8];
        },
        true);
    content.dataset =
        "[map-places 1]\n"
        "0 = GameData\\sinario\\0226_k.MES\n1 = GameData\\sinario\\0226_n.MES\n"
        "2 = GameData\\sinario\\0226_s.MES\n3 = GameData\\sinario\\0226_e.MES\n"
        "4 = GameData\\sinario\\0226_k2.MES\n"
        "[map-places 4]\n"
        "0 = GameData\\sinario\\0301_n.MES\n1 = GameData\\sinario\\0301_s.MES\n"
        "2 = GameData\\sinario\\0301_k.MES\n3 = GameData\\sinario\\0301_e.MES\n"
        "4 = GameData\\sinario\\0301_x.MES\n"
        // The second visit has three places.
        "5 = GameData\\sinario\\0301_e2.MES\n6 = GameData\\sinario\\0301_s2.MES\n"
        "7 = GameData\\sinario\\0301_k2.MES\n";
    story_test::ScriptBuilder next(0);
    next.Text("つぎのひ。").Op(formats::MesOp::kPageWait);
    for (const char* name : {"0301_x", "0226_e", "0301_k2"})
        content.scenarios1[name] = next.Bytes();
    return content;
}

// The first story stands where its scenario ended and the chain sends it to
// the map.
void StartMap(RunningGame& game, std::array<int32_t, 3> date, int32_t chainStep) {
    game.Story().NewGame(0);
    game.Story().state.eyecatchNumbers = date;
    game.Story().state.chainStep = chainStep;
    game.Engine().flow.GoTo(core::kStateMap);
}

bool Exists(RunningGame& game, int sprite) {
    return game.Engine().SpriteAt(sprite) != nullptr;
}

void ExpectGolden(RunningGame& game, const char* name) {
    EXPECT_EQ(golden::Compare(game.Screen(), name), "");
}

// March 1 on the first visit: row 4, places 0..4 of the plain map. The
// keys walk the places (Up from the first goes to the last) and C takes the
// highlighted one; the map fades out into its scenario.
TEST(MapScreen, KeysPickAPlaceOfTheDayAndItsScenarioFollows) {
    RunningGame game(MapFolder());
    StartMap(game, {3, 1, 0}, 1);
    game.RunFor(1100);
    EXPECT_EQ(game.Engine().Brightness(), 256);
    EXPECT_EQ(game.Engine().music->Name(), "10.mp3");
    // The letter after the last '_' picks the icon: n, s, k, e, other.
    const int32_t icons[5] = {0, 1, 2, 4, 7};
    for (int place = 0; place < 5; ++place) {
        ASSERT_TRUE(Exists(game, 21 + place));
        EXPECT_EQ(game.Engine().SpriteAt(21 + place)->Placement().sourceX, 56 * icons[place]);
    }
    ExpectGolden(game, "map-faded-in");

    for (uint32_t key : {platform::kVkDown, platform::kVkDown, platform::kVkUp, platform::kVkUp})
        game.Press(key);
    ExpectGolden(game, "map-highlighted");
    game.Press(platform::kVkC);
    game.RunFor(400);
    ExpectGolden(game, "map-leaving");
    game.RunFor(700);

    EXPECT_EQ(game.Engine().flow.gameState, core::kStateScript);
    EXPECT_EQ(game.Story().state.scenarioPath, "GameData\\sinario\\0301_x.MES");
    EXPECT_TRUE(game.Story().state.loaded);
    EXPECT_EQ(game.Engine().Brightness(), 256);
    EXPECT_EQ(game.Engine().music->Name(), "");
    for (int sprite : {10, 15, 19, 20, 21, 25}) EXPECT_FALSE(Exists(game, sprite)) << sprite;
    for (int image : {10, 11, 12}) EXPECT_EQ(game.Engine().ImageAt(image), nullptr) << image;
}

// February 26 on a first visit with a time of day: row 1 on the second map.
// Place 3's stylus square starts left of its icon; a tap there picks and
// takes it at once, while a tap beside every square takes nothing.
TEST(MapScreen, TapsOnTheSecondMapUseItsOwnSquares) {
    RunningGame game(MapFolder());
    StartMap(game, {2, 26, 2}, 1);
    game.RunFor(1100);
    ExpectGolden(game, "map1-faded-in");

    game.Tap(5, 5);
    EXPECT_FALSE(Exists(game, 20));
    EXPECT_EQ(game.Engine().flow.subState, 2);
    game.Tap(281, 115);  // design 704..707: the square, not the icon
    EXPECT_TRUE(Exists(game, 20));
    EXPECT_EQ(game.Engine().flow.subState, 3);
    game.RunFor(300);
    ExpectGolden(game, "map1-chosen");
    game.RunFor(800);
    EXPECT_EQ(game.Story().state.scenarioPath, "GameData\\sinario\\0226_e.MES");
}

// The second visit of a day takes columns 5..9; places the row leaves out
// are neither shown nor reached. A day outside the table shows no place at
// all and nothing can be taken.
TEST(MapScreen, SecondVisitColumnsAndDaysOutsideTheTable) {
    {
        RunningGame game(MapFolder());
        StartMap(game, {3, 1, 1}, 2);
        game.RunFor(1100);
        EXPECT_TRUE(Exists(game, 23));
        EXPECT_FALSE(Exists(game, 24));
        game.Press(platform::kVkUp);  // from none past the empty places 4 and 3
        game.Press(platform::kVkRight);
        game.RunFor(1100);
        EXPECT_EQ(game.Story().state.scenarioPath, "GameData\\sinario\\0301_k2.MES");
    }
    // March 20 is row 23, beyond the table's five rows; February 10 is row -15.
    for (std::array<int32_t, 3> date : {std::array<int32_t, 3>{3, 20, 0}, {2, 10, 0}}) {
        SCOPED_TRACE(date[1]);
        RunningGame game(MapFolder());
        StartMap(game, date, 1);
        game.RunFor(1100);
        for (int sprite = 20; sprite <= 25; ++sprite) EXPECT_FALSE(Exists(game, sprite));
        game.Press(platform::kVkDown);
        game.Press(platform::kVkUp);
        game.Tap(190, 194);  // place 0's square on the plain map
        game.Press(platform::kVkC);
        game.RunFor(1100);
        EXPECT_FALSE(Exists(game, 20));
        EXPECT_EQ(game.Engine().flow.gameState, core::kStateMap);
        EXPECT_EQ(game.Engine().flow.subState, 2);
    }
}

}  // namespace
