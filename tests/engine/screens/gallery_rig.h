#pragma once
// What the gallery tests share: a program folder whose screen sheets are
// drawn cell by cell in colours of their own (so that a screenshot shows
// which cell went where), the assembled game on an in-process headless
// engine, and keys and taps delivered through the engine's input.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/game/game.h"
#include "engine/script/story_fixture.h"
#include "golden_picture.h"

namespace gallery_test {

using Rgb = std::array<int, 3>;

// Colours of the drawn sheets.
inline constexpr Rgb kNormalButton{200, 200, 200};
inline constexpr Rgb kHighlighted{255, 255, 0};
inline constexpr Rgb kCurrentTab{255, 128, 0};
inline constexpr Rgb kLocked{96, 96, 96};
inline constexpr Rgb kTitle{0, 180, 0};  // scenario titles, thumbnails, track titles
inline constexpr Rgb kViewerFirst{255, 0, 0};
inline constexpr Rgb kViewerSecond{0, 0, 255};

// A design rectangle of a sheet filled with one colour.
struct Cell {
    int32_t x, y, width, height;
    Rgb colour;
};

// A keyed picture of the design size (a multiple of 5 x 5) with the cells
// painted on a transparent ground (the first cell that holds a pixel wins).
std::vector<uint8_t> Sheet(int32_t designWidth, int32_t designHeight,
                           const std::vector<Cell>& cells);

// The galleries' tables. Scenario select: tab 0 has 2 pages with day01
// (entry 0), day02 (1), day03 (4), day04 (7) and day05 (12); tab 1 has 3
// pages with sora01 at entry 11. CG gallery: tab 0 has 2 pages; its
// thumbnail 0 holds ev_a1, ev_a2 and ev_a3, thumbnail 1 ev_b1, thumbnail 3
// ev_c1 (thumbnail 2 is not listed), and thumbnail 9 (page 1) ev_d1; tab 1
// has one page with ev_e1. Tracks 0, 2 (in a folder) and 15 are named.
extern const char kGalleryDataset[];
// What earlier runs saw: day01, day03, day05, sora01; ev_a1, ev_a3, ev_c1,
// ev_d1, ev_e1.
extern const std::vector<std::string> kSeenScenarios;
extern const std::vector<std::string> kSeenImages;

// Every sheet the galleries load, the viewer pictures ("ev_a1.rbp" red,
// "ev_a3.rbp" blue; "ev_a2.rbp" grey and "ev_b1.rbp" teal) and the
// picture "Curtain.rbp" of the system folder (purple), into folder 1.
void AddGalleryPictures(story_test::StoryFolder& folder);

// The program folder of the galleries: every sheet they load, the viewer
// pictures ("ev_a1.rbp" red, "ev_a3.rbp" blue; "ev_a2.rbp" grey and
// "ev_b1.rbp" teal, both unseen), the
// picture "Curtain.rbp" of the system folder (purple) to leave on screen
// before entering, the tables, and the scenarios of the first story.
story_test::StoryFolder GalleryFolder();

class GalleryRig {
public:
    // seenScenarios and seenImages: what an earlier run left in the seen file.
    GalleryRig(const story_test::StoryFolder& content = GalleryFolder(),
               const std::vector<std::string>& seenScenarios = kSeenScenarios,
               const std::vector<std::string>& seenImages = kSeenImages);
    ~GalleryRig();

    core::Engine& Engine() { return **engine_; }
    script::Interpreter& Story() { return game_->Story(); }
    game::Game& Game() { return *game_; }

    // Shows the purple curtain full screen, then enters the state, as the
    // title would leave it.
    void Enter(int32_t state);
    void Frame(uint32_t advanceMs = 16);
    void Frames(int count, uint32_t advanceMs = 16);
    // Runs frames until the state's sub-state is reached (at most `limit` frames).
    bool RunUntil(int32_t state, int32_t subState, int limit = 400);
    // One press of a key: down, a frame, up.
    void Press(uint32_t virtualKey);
    // A tap at the centre of a design rectangle: down, a frame, up.
    void Tap(int32_t x, int32_t y, int32_t width, int32_t height);

    // The composed screen.
    golden::Picture Screen();
    Rgb Pixel(int32_t designX, int32_t designY);
    // The centre pixel of a design rectangle.
    Rgb Centre(int32_t x, int32_t y, int32_t width, int32_t height);
    const core::Sprite* SpriteAt(int sprite) { return Engine().SpriteAt(sprite); }

private:
    testing_support::TempDir dir_;
    std::unique_ptr<engine_test::HeadlessEngine> engine_;
    std::unique_ptr<game::Game> game_;
};

// Colours equal within the RGB565 rounding of the pictures.
bool Near(const Rgb& actual, const Rgb& expected);

}  // namespace gallery_test
