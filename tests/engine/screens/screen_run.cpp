#include "screen_run.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "engine/core/startup.h"
#include "engine_test_support.h"
#include "gallery_rig.h"
#include "platform/headless/headless_backend.h"

namespace screen_test {

namespace fs = std::filesystem;

Drawing::Drawing(int designWidth, int designHeight)
    : width_(designWidth * 320 / 800),
      height_(designHeight * 240 / 600),
      pixels_(engine_test::SolidPixels(width_, height_, 0, 0, 0)) {}

Drawing& Drawing::Fill(int x, int y, int width, int height, uint8_t red, uint8_t green,
                       uint8_t blue) {
    const int left = x * 320 / 800, top = y * 240 / 600;
    const int right = std::min((x + width) * 320 / 800, width_);
    const int bottom = std::min((y + height) * 240 / 600, height_);
    for (int row = top; row < bottom; ++row) {
        for (int column = left; column < right; ++column) {
            uint8_t* pixel = &pixels_[(static_cast<size_t>(row) * width_ + column) * 4];
            pixel[0] = blue, pixel[1] = green, pixel[2] = red, pixel[3] = 255;
        }
    }
    return *this;
}

std::vector<uint8_t> Drawing::Encode() const {
    return engine_test::EncodePicture(pixels_, width_, height_);
}

std::array<uint8_t, 3> LeftPictureColour(int pair) {
    return {static_cast<uint8_t>(40 + pair * 8), 90, static_cast<uint8_t>(240 - pair * 6)};
}

std::array<uint8_t, 3> CaptionPictureColour(int pair) {
    return {230, static_cast<uint8_t>(30 + pair * 8), 60};
}

namespace {

std::string Numbered(const char* format, int number) {
    char name[64];
    std::snprintf(name, sizeof name, format, number);
    return name;
}

Drawing Solid(int designWidth, int designHeight, std::array<uint8_t, 3> colour) {
    Drawing drawing(designWidth, designHeight);
    drawing.Fill(0, 0, designWidth, designHeight, colour[0], colour[1], colour[2]);
    return drawing;
}

// The item sheet: each row's normal cell, its highlighted cell 80 below,
// the all-endings item and the extras panel's highlighted lines.
Drawing ItemSheet() {
    Drawing sheet(640, 600);
    sheet.Fill(0, 0, 312, 40, 200, 60, 60).Fill(0, 80, 312, 40, 255, 160, 160);
    sheet.Fill(0, 120, 296, 40, 60, 200, 60).Fill(0, 200, 296, 40, 160, 255, 160);
    sheet.Fill(0, 240, 278, 40, 60, 60, 200).Fill(0, 320, 278, 40, 160, 160, 255);
    sheet.Fill(0, 360, 264, 40, 200, 200, 60).Fill(0, 440, 264, 40, 255, 255, 160);
    sheet.Fill(0, 480, 246, 40, 200, 60, 200).Fill(0, 560, 246, 40, 255, 160, 255);
    sheet.Fill(312, 418, 184, 54, 60, 200, 200).Fill(312, 530, 184, 54, 160, 255, 255);
    sheet.Fill(312, 0, 328, 36, 255, 120, 0);
    sheet.Fill(312, 80, 328, 36, 255, 170, 0);
    sheet.Fill(312, 160, 328, 38, 255, 220, 0);
    return sheet;
}

}  // namespace

void AddScreenPictures(story_test::StoryFolder& content) {
    gallery_test::AddGalleryPictures(content);
    auto& pictures = content.pictures1;
    pictures["GameData\\char\\Tarnel2.rbp"] = Solid(800, 600, {250, 250, 250}).Encode();
    // The title: the hidden spot's corner is marked on the picture.
    pictures["GameData\\system\\TitleBack1b.rbp"] =
        Solid(800, 600, {20, 30, 90}).Fill(560, 0, 144, 128, 40, 50, 120).Encode();
    pictures["GameData\\system\\TitleBack2b.rbp"] =
        Solid(800, 600, {20, 80, 40}).Fill(560, 0, 144, 128, 40, 110, 60).Encode();
    pictures["GameData\\system\\TitleChip01.rbp"] = ItemSheet().Encode();
    pictures["GameData\\system\\TitleChip03.rbp"] = ItemSheet().Encode();
    for (const char* name :
         {"GameData\\system\\TitleChip02.rbp", "GameData\\system\\TitleChip04.rbp"})
        pictures[name] = Solid(520, 110, {120, 120, 120}).Encode();
    // The date screen: three options, each highlighted right below, and the panel.
    pictures["GameData\\system\\TimerBack.rbp"] = Solid(800, 600, {0, 70, 70}).Encode();
    pictures["GameData\\system\\timerchip.rbp"] = Drawing(650, 280)
                                                      .Fill(0, 0, 216, 32, 180, 0, 0)
                                                      .Fill(216, 0, 216, 32, 0, 180, 0)
                                                      .Fill(432, 0, 216, 32, 0, 0, 180)
                                                      .Fill(0, 32, 216, 32, 255, 110, 110)
                                                      .Fill(216, 32, 216, 32, 110, 255, 110)
                                                      .Fill(432, 32, 216, 32, 110, 110, 255)
                                                      .Fill(0, 64, 472, 216, 230, 230, 230)
                                                      .Encode();
    // The staff roll: six colours, each picture with a white band at its top.
    for (int i = 1; i <= 6; ++i) {
        pictures[Numbered("GameData\\char\\staff\\staff%02d.rbp", i)] =
            Solid(800, 600, {static_cast<uint8_t>(40 * i), static_cast<uint8_t>(250 - 40 * i), 120})
                .Fill(0, 0, 800, 60, 255, 255, 255)
                .Encode();
    }
    // The ending pictures.
    pictures["GameData\\char\\staff\\e01.rbp"] = Solid(800, 600, {240, 200, 160}).Encode();
    pictures["GameData\\char\\staff\\e02.rbp"] = Solid(800, 600, {160, 240, 200}).Encode();
    pictures["GameData\\char\\staff\\e03.rbp"] = Solid(800, 600, {200, 160, 240}).Encode();
    pictures["GameData\\char\\staff\\e04.rbp"] = Solid(800, 600, {250, 250, 120}).Encode();
    for (int pair = 0; pair < 27; ++pair) {
        pictures[Numbered("GameData\\char\\staff\\r2_%02d.rbp", pair)] =
            Solid(430, 600, LeftPictureColour(pair)).Encode();
        pictures[Numbered("GameData\\char\\staff\\emoji%02d.rbp", pair + 1)] =
            Solid(375, 600, CaptionPictureColour(pair)).Encode();
    }
}

std::string ScreenDataSet() {
    std::string text =
        "[date-chain]\n0 = GameData\\sinario\\day01.MES\n1 = GameData\\sinario\\day02.MES\n"
        "[route-endings]\n2 = GameData\\sinario\\end_town.MES\n"
        "[ending-pictures 2]\n";
    for (int pair = 0; pair < 27; ++pair)
        text += Numbered("%d = ", pair) + Numbered("GameData\\char\\staff\\r2_%02d.rbp\n", pair);
    return text;
}

namespace {

class PassObserver : public core::EngineObserver {
public:
    explicit PassObserver(const Run& run) : run_(run) {}
    void AfterPass(core::Engine& engine) override {
        if (run_.afterPass && game) run_.afterPass(engine, *game);
    }
    game::Game* game = nullptr;

private:
    const Run& run_;
};

}  // namespace

int RunGame(const fs::path& folder, const Run& run) {
    platform::BackendOptions options;
    options.programFolder = folder.string() + "/";
    options.untilMs = run.untilMs;
    if (!run.input.empty()) {
        testing_support::WriteHostFile(folder / "input.txt", run.input);
        options.inputScriptPath = (folder / "input.txt").string();
    }
    options.shotTimes = run.shotTimes;
    options.shotsFolder = (folder / "shots").string();
    fs::create_directories(folder / "shots");
    std::string error;
    platform::Backend backend = platform::CreateHeadlessBackend(options, &error);
    EXPECT_TRUE(backend.window) << error;
    if (!backend.window) return -1;
    PassObserver observer(run);
    return core::RunEngine(backend, options.programFolder, &observer,
                           [&run, &observer](core::Engine& engine, std::string* why) {
                               std::unique_ptr<game::Game> made =
                                   game::Game::Create(engine, run.start, why);
                               observer.game = made.get();
                               return std::unique_ptr<core::GameModules>(std::move(made));
                           });
}

void Recorder::Note(core::Engine& engine) {
    const uint32_t now = engine.backend.clock->TickCount();
    if (steps.empty() || steps.back().state != engine.flow.gameState ||
        steps.back().sub != engine.flow.subState)
        steps.push_back({now, engine.flow.gameState, engine.flow.subState});
}

bool Recorder::Visited(int32_t state, int32_t sub) const {
    for (const Step& step : steps)
        if (step.state == state && step.sub == sub) return true;
    return false;
}

golden::Picture Shot(const fs::path& folder, uint32_t ms) {
    char name[32];
    std::snprintf(name, sizeof name, "shot-%06u.png", ms);
    golden::Picture picture;
    EXPECT_TRUE(golden::ReadPng((folder / "shots" / name).string(), &picture)) << name;
    return picture;
}

core::SpritePlacement PlacementOf(core::Engine& engine, int sprite) {
    if (core::Sprite* shown = engine.SpriteAt(sprite)) return shown->Placement();
    return {};
}

bool SystemFileBit(const fs::path& folder, int bit) {
    const fs::path path = folder / "save000.dat";
    if (!fs::exists(path)) return false;
    std::vector<uint8_t> bytes = testing_support::ReadHostFile(path);
    return static_cast<size_t>(bit / 8) < bytes.size() && ((bytes[bit / 8] >> (bit % 8)) & 1);
}

}  // namespace screen_test
