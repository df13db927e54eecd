#include "running_game.h"

#include <gtest/gtest.h>

namespace screen_test {

std::vector<uint8_t> Painted(int width, int height, const std::function<uint32_t(int, int)>& paint,
                             bool withAlpha) {
    std::vector<uint8_t> bgra;
    bgra.reserve(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t rgb = paint(x * 800 / 320, y * 600 / 240);
            bgra.insert(bgra.end(), {static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8),
                                     static_cast<uint8_t>(rgb >> 16), 255});
        }
    }
    return engine_test::EncodePicture(bgra, width, height, withAlpha);
}

void AddMapPictures(story_test::StoryFolder& content) {
    auto& pictures = content.pictures1;
    // Backgrounds in squares of 100, so that positions show.
    pictures["GameData\\system\\MapBack00.rbp"] = Painted(
        320, 240, [](int x, int y) { return (x / 100 + y / 100) % 2 ? 0x203040u : 0x304860u; });
    pictures["GameData\\system\\MapBack01.rbp"] = Painted(
        320, 240, [](int x, int y) { return (x / 100 + y / 100) % 2 ? 0x402040u : 0x603060u; });
    // The highlights' sheets: each point its own colour.
    for (const char* name : {"MapChip00", "MapChip01"}) {
        pictures[std::string("GameData\\system\\") + name + ".rbp"] =
            Painted(320, 240, [](int x, int y) {
                return uint32_t(x * 255 / 800) << 16 | (y * 255 / 600) << 8 | 0x80;
            });
    }
    // Icon cells of 56 in a row at y 192, each its own colour.
    pictures["GameData\\system\\ChipChar.rbp"] = Painted(
        208, 100, [](int x, int y) { return y < 192 ? 0x808080u : kPalette[(x / 56) % 8]; });
}

RunningGame::RunningGame(const story_test::StoryFolder& content) {
    story_test::BuildStoryFolder(dir_.path(), content);
    engine_ = std::make_unique<engine_test::HeadlessEngine>(dir_.path().string() + "/");
    Engine().LoadStartupImages();
    std::string error;
    game_ = game::Game::Create(Engine(), {}, &error);
    EXPECT_TRUE(game_) << error;
}

RunningGame::~RunningGame() {
    game_.reset();
}

void RunningGame::Frame(uint32_t advanceMs) {
    Engine().clock.Sleep(advanceMs);
    Engine().input.LatchInput();
    Engine().RunFrame();
}

void RunningGame::RunFor(uint32_t ms) {
    for (uint32_t passed = 0; passed < ms; passed += 16) Frame();
}

void RunningGame::Press(uint32_t virtualKey) {
    Engine().input.OnKey(virtualKey, true);
    Frame();
    Engine().input.OnKey(virtualKey, false);
    Frame();
}

void RunningGame::Tap(int32_t x, int32_t y) {
    // The portrait device's window point of the landscape point.
    Engine().input.OnStylusDown(y, 320 - x);
    Frame();
    Engine().input.OnStylusUp(y, 320 - x);
    Frame();
}

golden::Picture RunningGame::Screen() {
    golden::Picture picture;
    picture.width = 320;
    picture.height = 240;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const uint8_t* p = Engine().screen.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
            picture.rgb.insert(picture.rgb.end(), {p[2], p[1], p[0]});
        }
    }
    return picture;
}

}  // namespace screen_test
