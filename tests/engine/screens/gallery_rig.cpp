#include "gallery_rig.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/persist/save_files.h"
#include "engine/persist/seen_data.h"
#include "platform/device_path.h"

namespace gallery_test {

namespace {

constexpr int32_t kNoScreenState = 98;

Rgb TabColour(int tab) {
    return {40 + 30 * tab, 60, 160};
}

// Design sizes of the sheets are multiples of 5, so that each maps to
// whole screen pixels.
std::vector<Cell> Solid(int32_t width, int32_t height, Rgb colour) {
    return {{0, 0, width, height, colour}};
}

}  // namespace

const char kGalleryDataset[] =
    "[scenario-tabs]\n0 = 2 1\n1 = 3 1\n"
    "[scenario-dates]\n401\n402\n403\n404\n405\n"
    "[scenarios 0]\n0 = 401 day01.MES\n1 = 402 day02.MES\n4 = 403 day03.MES\n"
    "7 = 404 day04.MES\n12 = 405 day05.MES\n"
    "[scenarios 1]\n11 = 403 sora01.MES\n"
    "[cg-pages]\n0 = 2\n"
    "[cg 0]\n0 = ev_a1.rbp\n0 = ev_a2.rbp\n0 = ev_a3.rbp\n1 = ev_b1.rbp\n3 = ev_c1.rbp\n"
    "9 = ev_d1.rbp\n"
    "[cg 1]\n0 = ev_e1.rbp\n"
    "[tracks]\n0 = bgm01.mp3\n2 = music/bgm03.mp3\n15 = bgm16.mp3\n";

const std::vector<std::string> kSeenScenarios = {"day01.MES", "day03.MES", "day05.MES",
                                                 "sora01.MES"};
const std::vector<std::string> kSeenImages = {"ev_a1.rbp", "ev_a3.rbp", "ev_c1.rbp", "ev_d1.rbp",
                                              "ev_e1.rbp"};

std::vector<uint8_t> Sheet(int32_t designWidth, int32_t designHeight,
                           const std::vector<Cell>& cells) {
    const int width = designWidth * 320 / 800;
    const int height = designHeight * 240 / 600;
    // Magenta is the transparent key of keyed pictures.
    std::vector<uint8_t> pixels = engine_test::SolidPixels(width, height, 255, 0, 255);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            // The design point at the pixel's centre.
            int32_t x = (2 * px + 1) * 800 / 640;
            int32_t y = (2 * py + 1) * 600 / 480;
            for (const Cell& cell : cells) {
                if (x >= cell.x && x < cell.x + cell.width && y >= cell.y &&
                    y < cell.y + cell.height) {
                    uint8_t* p = &pixels[(static_cast<size_t>(py) * width + px) * 4];
                    p[0] = static_cast<uint8_t>(cell.colour[2]);
                    p[1] = static_cast<uint8_t>(cell.colour[1]);
                    p[2] = static_cast<uint8_t>(cell.colour[0]);
                    break;
                }
            }
        }
    }
    return engine_test::EncodePicture(pixels, width, height);
}

void AddGalleryPictures(story_test::StoryFolder& folder) {
    auto& pictures = folder.pictures1;
    auto add = [&pictures](const std::string& name, int32_t width, int32_t height,
                           const std::vector<Cell>& cells) {
        pictures["GameData\\system\\" + name + ".rbp"] = Sheet(width, height, cells);
    };
    add("Curtain", 800, 600, Solid(800, 600, {160, 0, 160}));

    // Buttons and numbers: a highlighted button lies 64 below its normal cell.
    std::vector<Cell> system;
    for (int j = 0; j < 4; ++j) {
        system.push_back({48 * j, 192, 48, 32, kNormalButton});
        system.push_back({48 * j, 256, 48, 32, kHighlighted});
    }
    system.push_back({0, 160, 120, 32, kNormalButton});
    system.push_back({0, 224, 120, 32, kHighlighted});
    for (int v = 0; v < 40; ++v)
        system.push_back({40 * (v % 20), 32 * (v / 20), 40, 32, {250 - 5 * v, 40, 5 * v}});
    add("SysChip", 800, 290, system);

    // The scenario select.
    add("SinarioBack", 800, 600, Solid(800, 600, {40, 40, 90}));
    std::vector<Cell> tabs;
    for (int t = 0; t < 7; ++t) {
        tabs.push_back({0, 32 * t, 120, 32, TabColour(t)});
        tabs.push_back({120, 32 * t, 120, 32, kHighlighted});
        tabs.push_back({240, 32 * t, 120, 32, kCurrentTab});
    }
    tabs.push_back({0, 224, 256, 32, kLocked});
    add("SinarioChip", 360, 260, tabs);
    std::vector<Cell> dates;
    for (int k = 0; k < 20; ++k)
        dates.push_back({(k % 10) * 56, (k / 10) * 24, 56, 24, {0, 90 + 8 * k, 250 - 10 * k}});
    add("SinaDayChip", 560, 50, dates);
    for (const char* name : {"SinaChar00", "SinaChar10"}) {
        add(name, 1540, 580, {{0, 0, 768, 576, kTitle}, {768, 0, 768, 576, kHighlighted}});
    }

    // The CG gallery.
    add("CgModeBack", 800, 600, Solid(800, 600, {40, 90, 40}));
    std::vector<Cell> cgTabs;
    for (int t = 0; t < 7; ++t) {
        cgTabs.push_back({0, 32 * t, t == 6 ? 166 : 198, 32, TabColour(t)});
        cgTabs.push_back({200, 32 * t, t == 6 ? 166 : 198, 32, kHighlighted});
        cgTabs.push_back({t == 6 ? 336 : 400, 32 * t, t == 6 ? 166 : 198, 32, kCurrentTab});
    }
    cgTabs.push_back({0, 224, 96, 72, kLocked});
    add("CgModeChip", 600, 300, cgTabs);
    for (int t = 0; t < 2; ++t) {
        add("CgChip0" + std::to_string(t), 770, 220, {{0, 0, 768, 216, kTitle}});
        add("CgChip1" + std::to_string(t), 770, 220, {{0, 0, 768, 216, kHighlighted}});
    }
    auto back = [&pictures](const std::string& name, Rgb colour) {
        pictures["GameData\\char\\back\\" + name] = Sheet(800, 600, Solid(800, 600, colour));
    };
    back("ev_a1.rbp", kViewerFirst);
    back("ev_a2.rbp", {128, 128, 128});
    back("ev_a3.rbp", kViewerSecond);
    back("ev_b1.rbp", {0, 160, 160});

    // The music gallery.
    add("MusicBack", 800, 600, Solid(800, 600, {90, 40, 40}));
    add("MusicTitleChip00", 515, 580, {{0, 0, 512, 576, kTitle}});
    add("MusicTitleChip01", 515, 580, {{0, 0, 512, 576, kHighlighted}});
    add("MusicChip", 160, 130, {{0, 32, 160, 32, kNormalButton}, {0, 96, 160, 32, kHighlighted}});
}

story_test::StoryFolder GalleryFolder() {
    story_test::StoryFolder folder;
    AddGalleryPictures(folder);
    // A replay: a page over the day background, then the scenario's end.
    story_test::ScriptBuilder replay(0);
    replay.Named(formats::MesOp::kBackground, "back\\day")
        .Op(formats::MesOp::kCommit)
        .Text("あいうえお")
        .Op(formats::MesOp::kPageWait)
        .Op(formats::MesOp::kEndScenario);
    for (const char* name : {"day01", "day03", "day05", "sora01"})
        folder.scenarios1[name] = replay.Bytes();

    folder.dataset = kGalleryDataset;
    return folder;
}

GalleryRig::GalleryRig(const story_test::StoryFolder& content,
                       const std::vector<std::string>& seenScenarios,
                       const std::vector<std::string>& seenImages) {
    story_test::BuildStoryFolder(dir_.path(), content);
    persist::NameSets sets{seenImages, seenScenarios};
    testing_support::WriteHostFile(dir_ / persist::kNameSetsFile, persist::EncodeNameSets(sets));
    engine_ = std::make_unique<engine_test::HeadlessEngine>(dir_.path().string() + "/");
    Engine().LoadStartupImages();
    std::string error;
    game_ = game::Game::Create(Engine(), {}, &error);
    EXPECT_TRUE(game_) << error;
}

GalleryRig::~GalleryRig() {
    // Every picture the screens asked for was there.
    EXPECT_EQ(Engine().errorWord, 0u);
    game_.reset();
}

void GalleryRig::Enter(int32_t state) {
    core::Engine& engine = Engine();
    engine.LoadImageSlot(20, 0, "GameData\\system\\Curtain.rbp", gfx::Keying::kUnkeyed);
    engine.CreateSprite(20, 20, 0, 0, 800, 600, 0, 0, 0, 0, 60);
    // One frame of the curtain in a state that no screen runs.
    engine.flow.GoTo(kNoScreenState);
    Frame();
    engine.flow.GoTo(state);
    Frame();
}

void GalleryRig::Frame(uint32_t advanceMs) {
    Engine().clock.Sleep(advanceMs);
    Engine().input.LatchInput();
    Engine().RunFrame();
}

void GalleryRig::Frames(int count, uint32_t advanceMs) {
    for (int i = 0; i < count; ++i) Frame(advanceMs);
}

bool GalleryRig::RunUntil(int32_t state, int32_t subState, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (Engine().flow.gameState == state && Engine().flow.subState == subState) return true;
        Frame();
    }
    return false;
}

void GalleryRig::Press(uint32_t virtualKey) {
    Engine().input.OnKey(virtualKey, true);
    Frame();
    Engine().input.OnKey(virtualKey, false);
}

void GalleryRig::Tap(int32_t x, int32_t y, int32_t width, int32_t height) {
    // The landscape point, as the portrait device's window reports it.
    int32_t screenX = (x + width / 2) * 320 / 800;
    int32_t screenY = (y + height / 2) * 240 / 600;
    Engine().input.OnStylusDown(screenY, 320 - screenX);
    Frame();
    Engine().input.OnStylusUp(screenY, 320 - screenX);
}

golden::Picture GalleryRig::Screen() {
    golden::Picture picture;
    picture.width = 320;
    picture.height = 240;
    picture.rgb.resize(320 * 240 * 3);
    for (uint32_t y = 0; y < 240; ++y) {
        for (uint32_t x = 0; x < 320; ++x) {
            const uint8_t* p = Engine().screen.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
            uint8_t* out = &picture.rgb[(y * 320 + x) * 3];
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
        }
    }
    return picture;
}

Rgb GalleryRig::Pixel(int32_t designX, int32_t designY) {
    int32_t x = designX * 320 / 800;
    int32_t y = designY * 240 / 600;
    const uint8_t* p = Engine().screen.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
    return {p[2], p[1], p[0]};
}

Rgb GalleryRig::Centre(int32_t x, int32_t y, int32_t width, int32_t height) {
    return Pixel(x + width / 2, y + height / 2);
}

bool Near(const Rgb& actual, const Rgb& expected) {
    for (int i = 0; i < 3; ++i) {
        if (std::abs(actual[i] - expected[i]) > 8) return false;
    }
    return true;
}

}  // namespace gallery_test
