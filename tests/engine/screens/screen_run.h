#pragma once
// What the screen tests share: a program folder with drawn screen pictures
// (each cell its own colour, so a misplaced cell shows), and the assembled
// game run on the headless backend with scripted input, screenshots and a
// look at the engine and the story after every pass.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/engine.h"
#include "engine/game/game.h"
#include "engine/script/story_fixture.h"
#include "golden_picture.h"
#include "test_support.h"

namespace screen_test {

// A picture of the given design size (800 x 600 = the screen), black, with
// design rectangles filled in colours of their own.
class Drawing {
public:
    Drawing(int designWidth, int designHeight);
    Drawing& Fill(int x, int y, int width, int height, uint8_t red, uint8_t green, uint8_t blue);
    std::vector<uint8_t> Encode() const;

private:
    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
};

// The logo, the title's pictures, the date screen's, the staff roll's, the
// ending pictures' (route 2's left pictures as the data set names them) and
// the galleries'.
void AddScreenPictures(story_test::StoryFolder& content);

// The data set naming route 2's ending pictures and the route endings.
std::string ScreenDataSet();

// The colour the drawings give pair k's left picture and caption picture.
std::array<uint8_t, 3> LeftPictureColour(int pair);
std::array<uint8_t, 3> CaptionPictureColour(int pair);

// What the game did, pass by pass: each change of state or sub-state.
struct Step {
    uint32_t time;
    int32_t state;
    int32_t sub;
};

struct Recorder {
    std::vector<Step> steps;
    void Note(core::Engine& engine);
    bool Visited(int32_t state, int32_t sub) const;
};

struct Run {
    std::string input;                // input script lines
    std::vector<uint32_t> shotTimes;  // ascending
    uint32_t untilMs = 0;
    game::DirectStart start;
    // Called after every pass of the loop.
    std::function<void(core::Engine&, game::Game&)> afterPass;
};

// Runs the game on the folder; returns its exit code.
int RunGame(const std::filesystem::path& folder, const Run& run);

golden::Picture Shot(const std::filesystem::path& folder, uint32_t ms);

// The sprite's placement, or an image slot of -1 when the slot is empty.
core::SpritePlacement PlacementOf(core::Engine& engine, int sprite);

// The system file's global bit as written on disk (false without a file).
bool SystemFileBit(const std::filesystem::path& folder, int bit);

}  // namespace screen_test
