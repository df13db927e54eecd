// The program plays the title's movie end to end on the headless backend:
// the movie folder's file through the screens' movie hook, its frames on
// the device at their time, and the game going on once it is over.

#include <gtest/gtest.h>

#include "engine/core/data_folder.h"
#include "engine/core/engine.h"
#include "engine/game/game.h"
#include "golden_picture.h"
#include "movie_test_data.h"
#include "platform/headless/headless_backend.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Frame i: a blue-to-green field with an orange square that moves right.
std::vector<uint8_t> MovingSquare(uint32_t frame) {
    std::vector<uint8_t> bgr;
    for (uint32_t y = 0; y < 240; ++y) {
        for (uint32_t x = 0; x < 320; ++x) {
            const bool square = x >= 20 + frame * 12 && x < 80 + frame * 12 && y >= 90 && y < 150;
            if (square) {
                bgr.insert(bgr.end(), {20, 140, 250});
            } else {
                bgr.insert(bgr.end(), {static_cast<uint8_t>(200 - y * 150 / 240),
                                       static_cast<uint8_t>(40 + y * 150 / 240),
                                       static_cast<uint8_t>(x * 100 / 320)});
            }
        }
    }
    return bgr;
}

class MovieWatcher : public core::EngineObserver {
public:
    void AfterPass(core::Engine& engine) override {
        const bool playing = engine.movie != nullptr && engine.movie->IsMoviePlaying();
        if (!playing && endedAt == 0) endedAt = engine.backend.clock->TickCount();
        if (playing && engine.flow.subState != 0) stateRanDuringMovie = true;
        if (!playing) lastState = engine.flow.gameState;
    }
    uint32_t endedAt = 0;
    bool stateRanDuringMovie = false;
    int32_t lastState = -1;
};

TEST(ProgramMovie, TheOpeningMoviePlaysFromTheMovieFolderThenTheGameGoesOn) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    std::vector<std::vector<uint8_t>> frames;
    for (uint32_t i = 0; i < 20; ++i)
        frames.push_back(movie_test::EncodeFrame(MovingSquare(i), 320, 240, 85));
    // The movie folder is the program folder unless the settings move it.
    movie_test::WriteMovie(dir / "QV_Long.mov", 10, 320, 240, frames);

    platform::BackendOptions options;
    options.programFolder = dir.path().string() + "/";
    options.untilMs = 3000;
    options.shotTimes = {1050, 2600};
    options.shotsFolder = dir.path().string();
    std::string error;
    platform::Backend backend = platform::CreateHeadlessBackend(options, &error);
    ASSERT_TRUE(backend.window) << error;

    bool missingPlayed = true;
    bool played = false;
    MovieWatcher watcher;
    const int exitCode = core::RunEngine(
        backend, options.programFolder, &watcher, [&](core::Engine& engine, std::string* why) {
            std::unique_ptr<game::Game> game = game::Game::Create(engine, {}, why);
            if (game) {
                missingPlayed = game->ScreenHooks().playMovie("QV_Long2.mov", 100);
                played = game->ScreenHooks().playMovie("QV_Long.mov", 100);
            }
            return std::unique_ptr<core::GameModules>(std::move(game));
        });
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(missingPlayed);
    ASSERT_TRUE(played);

    // 20 frames at 10 per second: over after 2 s, with no game state run
    // meanwhile; then the logo takes the screen.
    EXPECT_GE(watcher.endedAt, 2000u);
    EXPECT_LT(watcher.endedAt, 2020u);
    EXPECT_FALSE(watcher.stateRanDuringMovie);
    EXPECT_EQ(watcher.lastState, core::kStateLogo);

    golden::Picture frame;
    ASSERT_TRUE(golden::ReadPng((dir / "shot-001050.png").string(), &frame));
    // Frame 10: the square's left edge at x = 140.
    EXPECT_GT(frame.At(145, 120)[0], 200);
    EXPECT_LT(frame.At(135, 120)[0], 120);
    const std::string difference = golden::Compare(frame, "movie-frame-10");
    EXPECT_TRUE(difference.empty()) << difference;

    golden::Picture after;
    ASSERT_TRUE(golden::ReadPng((dir / "shot-002600.png").string(), &after));
    EXPECT_LT(after.At(145, 120)[0], 100);
}

}  // namespace
