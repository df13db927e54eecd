#pragma once
// The assembled game on an in-process headless engine over a program folder
// of the story tests, driven frame by frame with keys and taps as the
// window delivers them, for tests that start a screen directly in its state.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/game/game.h"
#include "engine/script/story_fixture.h"
#include "engine_test_support.h"
#include "golden_picture.h"
#include "test_support.h"

namespace screen_test {

// A picture file painted by design coordinates (800 x 600 for the whole
// screen): paint(x, y) gives 0xRRGGBB.
std::vector<uint8_t> Painted(int width, int height, const std::function<uint32_t(int, int)>& paint,
                             bool withAlpha = false);

// Eight colours far apart, for cells that must be told apart.
inline constexpr uint32_t kPalette[8] = {0xE02020, 0x20E020, 0x2020E0, 0xE0E020,
                                         0xE020C0, 0x20E0E0, 0xE08020, 0xF0F0F0};

// The map's pictures: both backgrounds in squares, the highlight sheets with
// every point its own colour, and the place icons each in a colour of the
// palette.
void AddMapPictures(story_test::StoryFolder& content);

class RunningGame {
public:
    explicit RunningGame(const story_test::StoryFolder& content);
    ~RunningGame();

    core::Engine& Engine() { return **engine_; }
    // The program folder.
    const std::filesystem::path& Folder() const { return dir_.path(); }
    script::Interpreter& Story() { return game_->Story(); }
    // Advances the clock, latches the input and runs one frame pass.
    void Frame(uint32_t advanceMs = 16);
    // Frames until the clock has advanced by at least `ms`.
    void RunFor(uint32_t ms);
    // One press of a key (a virtual-key code of the key list): down for a
    // frame, then up.
    void Press(uint32_t virtualKey);
    // A tap at a landscape screen point.
    void Tap(int32_t x, int32_t y);
    // The composed 320 x 240 picture.
    golden::Picture Screen();

private:
    testing_support::TempDir dir_;
    std::unique_ptr<engine_test::HeadlessEngine> engine_;
    std::unique_ptr<game::Game> game_;
};

}  // namespace screen_test
