// The title end to end: the assembled game on the headless backend, from the
// logo to the title's menu, driven by keys and taps, into the stories it
// starts, with reference pictures of the menu at its key moments.

#include <gtest/gtest.h>

#include <map>

#include "engine/persist/save_files.h"
#include "screen_run.h"

namespace {

namespace fs = std::filesystem;
using formats::MesOp;
using story_test::ScriptBuilder;

// A scenario that shows one page and waits there.
std::vector<uint8_t> Page(int dialect) {
    return ScriptBuilder(dialect).Text("あいうえお").Op(MesOp::kPageWait).Bytes();
}

// The title's program folder; the further stories' archive only when asked.
struct TitleFolder {
    explicit TitleFolder(bool furtherStories, bool allEndings = false) {
        story_test::StoryFolder content;
        screen_test::AddScreenPictures(content);
        // The first day ends on a date screen (month 2, day 14, weekday 3).
        content.scenarios1["day01"] = ScriptBuilder(0)
                                          .Named(MesOp::kBackground, "back\\day")
                                          .Op(MesOp::kEyecatchNumbers, {0, 2, 14})
                                          .Op(MesOp::kEyecatchChip, {3})
                                          .Op(MesOp::kEndScenario)
                                          .Bytes();
        // The next day opens on the same place.
        content.scenarios1["day02"] = ScriptBuilder(0)
                                          .Named(MesOp::kBackground, "back\\day")
                                          .Text("あいうえお")
                                          .Op(MesOp::kPageWait)
                                          .Bytes();
        content.scenarios1["all_end"] = Page(0);
        content.scenarios2["1225_a00"] = ScriptBuilder(1).Op(MesOp::kEndScenario).Bytes();
        content.scenarios2["gakuen_omake"] = Page(1);
        content.scenarios2["00701_00"] = Page(2);
        content.dataset = screen_test::ScreenDataSet();
        story_test::BuildStoryFolder(dir.path(), content);
        if (!furtherStories) fs::remove(dir / "2" / "grpack.mlz");
        if (allEndings) {
            std::vector<uint8_t> bits(persist::kSystemFlagBytes);
            bits[254] = 0x0F;  // the four endings' bits
            testing_support::WriteHostFile(dir / persist::kSystemFlagsFile, bits);
        }
    }
    testing_support::TempDir dir;
};

using screen_test::Recorder;

int32_t SourceY(core::Engine& engine, int sprite) {
    return screen_test::PlacementOf(engine, sprite).sourceY;
}

void ExpectGolden(const fs::path& folder, uint32_t ms, const char* name) {
    EXPECT_EQ(golden::Compare(screen_test::Shot(folder, ms), name), "") << name;
}

// Without the further stories: Up from no selection reaches the last item
// (quit), Down wraps to start, and starting goes straight into the main
// story (no choice offered), whose first day ends on the date screen. There
// Up from the first option selects the third, which the story then finds
// among its flags when the next day of the chain is loaded, on the same
// background as the day before.
TEST(TitleScreen, KeysStartTheMainStoryAndTheDateScreenRecordsTheChoice) {
    TitleFolder folder(false);
    screen_test::Run run;
    run.untilMs = 6000;
    run.input =
        "100 tap 160 120\n"  // past the logo
        "1300 press UP\n"
        "1400 press DOWN\n"
        "1600 press C\n"
        "4300 press DOWN\n"
        "4400 press UP\n"
        "4600 press C\n";
    run.shotTimes = {1200, 1500, 4500};
    Recorder recorder;
    std::map<uint32_t, std::pair<int32_t, int32_t>> rows;  // time: quit row, start row
    int32_t finalFlags[3] = {-1, -1, -1};
    std::string finalScenario;
    int32_t finalChainIndex = -1;
    bool finalBackground = false;
    std::array<int32_t, 4> dateCells{};  // source x of the weekday, month, tens, units
    run.afterPass = [&](core::Engine& engine, game::Game& game) {
        recorder.Note(engine);
        const uint32_t now = engine.backend.clock->TickCount();
        if (engine.flow.gameState == core::kStateTitle)
            rows[now] = {SourceY(engine, 16), SourceY(engine, 12)};
        if (engine.flow.gameState == core::kStateDate) {
            for (int i = 0; i < 4; ++i)
                dateCells[i] = screen_test::PlacementOf(engine, 16 + i).sourceX;
        }
        for (int k = 0; k < 3; ++k) finalFlags[k] = game.Story().vars.flags[384 + 32 * k];
        finalScenario = game.Story().state.scenarioPath;
        finalChainIndex = game.Story().state.chainIndex;
        finalBackground = engine.SpriteAt(script::kBackgroundSlot) != nullptr;
    };
    ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);

    // Up from nothing lit the quit row; Down from quit wrapped to start.
    auto rowsAt = [&](uint32_t ms) { return rows.lower_bound(ms)->second; };
    EXPECT_EQ(rowsAt(1350), std::make_pair(560, 0));
    EXPECT_EQ(rowsAt(1450), std::make_pair(480, 80));
    ExpectGolden(folder.dir.path(), 1200, "title-menu");
    ExpectGolden(folder.dir.path(), 1500, "title-start-selected");

    EXPECT_TRUE(recorder.Visited(core::kStateTitle, 10));
    EXPECT_TRUE(recorder.Visited(core::kStateTitle, 13));
    EXPECT_FALSE(recorder.Visited(core::kStateTitle, 11)) << "no choice without the archive";
    EXPECT_TRUE(recorder.Visited(core::kStateDate, 2));
    ExpectGolden(folder.dir.path(), 4500, "date-third-option");
    // Wednesday (3), February, the 14th: cells of the window's picture.
    EXPECT_EQ(dateCells, (std::array<int32_t, 4>{432 + 32 * 3, (2 + 27) * 16, 16, 4 * 16}));

    EXPECT_EQ(recorder.steps.back().state, core::kStateScript);
    EXPECT_EQ(finalScenario, "GameData\\sinario\\day02.MES");
    EXPECT_EQ(finalChainIndex, 2);
    EXPECT_EQ(finalFlags[0], 0);
    EXPECT_EQ(finalFlags[1], 0);
    EXPECT_EQ(finalFlags[2], 1);
    // The date screen took the background away; the next day shows it again.
    EXPECT_TRUE(finalBackground);
}

// A tap on a date option picks it and goes on at once.
TEST(DateScreen, TapPicksTheOptionUnderTheStylus) {
    TitleFolder folder(false);
    screen_test::Run run;
    run.untilMs = 5600;
    run.input = "100 tap 160 120\n1300 press DOWN\n1400 press C\n4300 tap 260 178\n";
    std::array<int32_t, 3> flags{};
    int32_t state = -1;
    run.afterPass = [&](core::Engine& engine, game::Game& game) {
        for (int k = 0; k < 3; ++k) flags[k] = game.Story().vars.flags[384 + 32 * k];
        state = engine.flow.gameState;
    };
    ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);
    EXPECT_EQ(flags, (std::array<int32_t, 3>{0, 1, 0}));
    EXPECT_EQ(state, core::kStateScript);
}

// With every ending reached the title has its other picture and an eighth
// item: Down walks through every item, opening the extras panel on 2..4,
// reaches 7 from 6, and 7 starts the all-endings story.
TEST(TitleScreen, AllEndingsShowTheBonusItemAndStartItsStory) {
    TitleFolder folder(false, true);
    screen_test::Run run;
    run.untilMs = 3600;
    run.input = "100 tap 160 120\n";
    for (int i = 0; i < 8; ++i) run.input += std::to_string(1300 + 100 * i) + " press DOWN\n";
    run.input += "2200 press C\n";
    run.shotTimes = {1550, 2050};
    Recorder recorder;
    std::map<uint32_t, std::array<core::SpritePlacement, 3>> sprites;  // 14, 17, 18
    int32_t route = -1, chainIndex = -1, firstNumber = 0, dialect = -1;
    std::string scenario;
    run.afterPass = [&](core::Engine& engine, game::Game& game) {
        recorder.Note(engine);
        if (engine.flow.gameState == core::kStateTitle) {
            sprites[engine.backend.clock->TickCount()] = {screen_test::PlacementOf(engine, 14),
                                                          screen_test::PlacementOf(engine, 17),
                                                          screen_test::PlacementOf(engine, 18)};
        }
        const script::Interpreter& story = game.Story();
        route = story.vars.variables[script::kRouteVariable];
        chainIndex = story.state.chainIndex;
        firstNumber = story.state.eyecatchNumbers[0];
        scenario = story.state.scenarioPath;
        dialect = engine.flow.scriptDialect;
    };
    ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);

    auto at = [&](uint32_t ms) { return sprites.lower_bound(ms)->second; };
    // Item 4: the panel (image 13) with the third line lit.
    EXPECT_EQ(at(1750)[0].imageSlot, 13);
    EXPECT_EQ(at(1750)[2].sourceY, 160);
    EXPECT_EQ(at(1750)[2].height, 38);
    // Item 5: the panel closes back into its row; no line is lit.
    EXPECT_EQ(at(1850)[0].imageSlot, 12);
    EXPECT_EQ(at(1850)[0].sourceY, 240);
    EXPECT_EQ(at(1850)[2].imageSlot, -1);
    // Item 7 after 6, lit at its own cell.
    EXPECT_EQ(at(2050)[1].sourceY, 530);
    ExpectGolden(folder.dir.path(), 1550, "title-extras");
    ExpectGolden(folder.dir.path(), 2050, "title-all-endings");

    EXPECT_TRUE(recorder.Visited(core::kStateTitle, 20));
    EXPECT_EQ(recorder.steps.back().state, core::kStateScript);
    EXPECT_EQ(scenario, "GameData\\sinario\\all_end.MES");
    EXPECT_EQ(dialect, 0);
    EXPECT_EQ(route, 9);
    EXPECT_EQ(chainIndex, 25);
    EXPECT_EQ(firstNumber, -1);
}

// Taps select and confirm at once: the hidden spot only with the further
// stories' archive, the extras row opens the panel whose lines then start
// their screens, the load row opens the menu's load page once the stylus is
// lifted, and the quit row ends the program.
TEST(TitleScreen, TapsSelectAndConfirm) {
    struct Case {
        const char* name;
        bool furtherStories;
        const char* taps;
        int32_t state;  // where the game is at the end
        const char* scenario;
    };
    const Case cases[] = {
        {"hidden spot without archive", false, "1300 tap 250 20\n", core::kStateTitle, ""},
        {"hidden spot with archive", true, "1300 tap 250 20\n", core::kStateScript,
         "GameData\\sinario\\gakuen_omake.MES"},
        {"extras then the CG line", false, "1300 tap 50 175\n1500 tap 150 165\n",
         core::kStateCgGallery, ""},
        {"extras then the music line", false, "1300 tap 50 175\n1500 tap 150 180\n",
         core::kStateMusicGallery, ""},
        {"load", false, "1300 tap 50 160\n", core::kStateTitle, ""},
        {"quit", false, "1300 tap 50 208\n", core::kStateTitle, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TitleFolder folder(test.furtherStories);
        screen_test::Run run;
        run.untilMs = 3000;
        run.input = std::string("100 tap 160 120\n") + test.taps;
        Recorder recorder;
        std::string scenario;
        bool menuOpen = false;
        uint32_t lastPass = 0;
        run.afterPass = [&](core::Engine& engine, game::Game& game) {
            recorder.Note(engine);
            scenario = game.Story().state.scenarioPath;
            menuOpen = engine.menuOpen;
            lastPass = engine.backend.clock->TickCount();
        };
        ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);
        EXPECT_EQ(recorder.steps.back().state, test.state);
        EXPECT_EQ(scenario, test.scenario);
        const std::string name = test.name;
        EXPECT_EQ(menuOpen, name == "load");
        if (name == "quit") {
            EXPECT_LT(lastPass, 1400u);
        } else {
            EXPECT_GT(lastPass, 2900u);
        }
        if (name == "hidden spot without archive") {
            EXPECT_FALSE(recorder.Visited(1, 30));
        }
        if (name == "load") {
            EXPECT_TRUE(recorder.Visited(1, 50));
        }
    }
}

// With the further stories the start offers the three stories on the
// message window's plates: keys pick the middle one (the opening movie, of
// which this folder has none, then the main story), taps the others. The
// Christmas story, once ended, goes on into the main story.
TEST(TitleScreen, StartOffersTheThreeStories) {
    struct Case {
        const char* input;
        std::vector<std::pair<std::string, int32_t>> stories;  // scenario, dialect
    };
    const Case cases[] = {
        {"3200 press DOWN\n3300 press DOWN\n3500 press C\n", {{"GameData\\sinario\\day01.MES", 0}}},
        {"3200 tap 150 88\n",
         {{"GameData\\sinario\\1225_a00.MES", 1}, {"GameData\\sinario\\day01.MES", 0}}},
        {"3200 tap 150 132\n", {{"GameData\\sinario\\00701_00.MES", 2}}},
    };
    bool first = true;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.input);
        TitleFolder folder(true);
        screen_test::Run run;
        run.untilMs = 3700;
        run.input = std::string("100 tap 160 120\n1300 press DOWN\n1400 press C\n") + test.input;
        if (first) run.shotTimes = {3100, 3400};
        Recorder recorder;
        std::vector<std::pair<std::string, int32_t>> stories;
        bool window = false;
        run.afterPass = [&](core::Engine& engine, game::Game& game) {
            recorder.Note(engine);
            const std::string& path = game.Story().state.scenarioPath;
            if (!path.empty() && (stories.empty() || stories.back().first != path))
                stories.emplace_back(path, engine.flow.scriptDialect);
            window = game.Story().Window() != nullptr;
        };
        ASSERT_EQ(screen_test::RunGame(folder.dir.path(), run), 0);
        EXPECT_TRUE(recorder.Visited(core::kStateTitle, 11));
        EXPECT_EQ(stories, test.stories);
        EXPECT_EQ(recorder.Visited(core::kStateTitle, 15), test.stories.size() == 2);
        EXPECT_TRUE(window) << "the story has its window";
        if (first) {
            ExpectGolden(folder.dir.path(), 3100, "title-story-choice");
            ExpectGolden(folder.dir.path(), 3400, "title-story-choice-selected");
            first = false;
        }
    }
}

}  // namespace
