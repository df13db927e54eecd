// The menu in the running program on the headless backend: the menu key
// opens it, the cursor keys move through it, and a chosen command reaches
// the dispatcher through the main window's command message.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/data_folder.h"
#include "engine/core/engine.h"
#include "engine/game/game.h"
#include "engine_test_support.h"
#include "platform/headless/headless_backend.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// The message speed and whether the menu is open, after every pass.
class MenuRecorder : public core::EngineObserver {
public:
    void AfterPass(core::Engine& engine) override {
        uint32_t now = engine.backend.clock->TickCount();
        if (openedAt == 0 && engine.menuOpen) openedAt = now;
        if (openedAt != 0 && closedAt == 0 && !engine.menuOpen) closedAt = now;
        if (speedAt == 0 && engine.settings.messageSpeed == 2) speedAt = now;
    }
    uint32_t openedAt = 0, closedAt = 0, speedAt = 0;
};

TEST(MenuProgram, KeysOpenTheMenuAndChooseAMessageSpeed) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    // Root: four Downs reach the message popup (the save list is disabled
    // before a story runs); its second item is the speed list, whose last
    // entry is "slow".
    testing_support::WriteHostFile(dir / "input.txt", std::string("500 press B\n"
                                                                  "600 press DOWN\n"
                                                                  "700 press DOWN\n"
                                                                  "800 press DOWN\n"
                                                                  "900 press DOWN\n"
                                                                  "1000 press RIGHT\n"
                                                                  "1100 press DOWN\n"
                                                                  "1200 press DOWN\n"
                                                                  "1300 press RIGHT\n"
                                                                  "1400 press UP\n"
                                                                  "1500 press C\n"));
    platform::Backend backend = engine_test::HeadlessBackendFor(dir.path(), 2000);
    ASSERT_TRUE(backend.window);
    MenuRecorder recorder;
    EXPECT_EQ(game::RunGame(backend, dir.path().string() + "/", &recorder), 0);
    EXPECT_GE(recorder.openedAt, 500u);
    EXPECT_LT(recorder.openedAt, 520u);
    EXPECT_GE(recorder.closedAt, 1500u);
    EXPECT_LT(recorder.closedAt, 1520u);
    EXPECT_GE(recorder.speedAt, recorder.closedAt);
    EXPECT_LT(recorder.speedAt, 1520u);
}

// The game state after every pass.
class StateRecorder : public core::EngineObserver {
public:
    void AfterPass(core::Engine& engine) override {
        if (states.empty() || states.back() != engine.flow.gameState) {
            states.push_back(engine.flow.gameState);
        }
    }
    std::vector<int32_t> states;
};

TEST(MenuProgram, ReturnToTitleStartsAgainFromTheLogo) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    // A tap skips the logo; then the item above the exit returns to the title.
    testing_support::WriteHostFile(dir / "input.txt", std::string("500 tap 160 120\n"
                                                                  "1000 press B\n"
                                                                  "1100 press UP\n"
                                                                  "1200 press UP\n"
                                                                  "1300 press C\n"));
    platform::Backend backend = engine_test::HeadlessBackendFor(dir.path(), 1600);
    ASSERT_TRUE(backend.window);
    StateRecorder recorder;
    EXPECT_EQ(game::RunGame(backend, dir.path().string() + "/", &recorder), 0);
    EXPECT_EQ(recorder.states,
              (std::vector<int32_t>{core::kStateLogo, core::kStateTitle, core::kStateLogo}));
}

TEST(MenuProgram, ExitFromTheMenuEndsTheProgram) {
    // The menu key, and the centre key while it is set to show the menu.
    for (const char* key : {"B", "CENTRE"}) {
        SCOPED_TRACE(key);
        testing_support::TempDir dir;
        testdata::BuildDataFolder(dir.path());
        // Up with nothing selected takes the last item, the exit.
        testing_support::WriteHostFile(
            dir / "input.txt", "500 press " + std::string(key) + "\n600 press UP\n700 press C\n");
        fs::path shots = dir / "shots";
        fs::create_directories(shots);
        auto result = testing_support::RunCommand(
            testing_support::MireloCommand() + " --headless --data '" + dir.path().string() +
            "' --until 5000 --input '" + (dir / "input.txt").string() +
            "' --shot-at 400,3000 --shots '" + shots.string() + "'");
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_TRUE(fs::exists(shots / "shot-000400.png"));
        EXPECT_FALSE(fs::exists(shots / "shot-003000.png"));
    }
}

}  // namespace
