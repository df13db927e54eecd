// What the open menu looks like on the device, compared with reference
// pictures, and the picture under it coming back when it closes.

#include <gtest/gtest.h>

#include "engine/menu/engine_menu.h"
#include "engine_test_support.h"
#include "golden_picture.h"
#include "test_support.h"

namespace {

// The device frame buffer (portrait RGB565) as the landscape picture it shows.
golden::Picture DevicePicture(core::Engine& engine) {
    const uint8_t* device = engine.backend.display->BeginDraw();
    golden::Picture picture;
    picture.width = 320;
    picture.height = 240;
    picture.rgb.resize(320 * 240 * 3);
    for (uint32_t y = 0; y < 240; ++y) {
        for (uint32_t x = 0; x < 320; ++x) {
            const uint8_t* p = device + (319 - x) * 480 + y * 2;
            uint16_t word = static_cast<uint16_t>(p[0] | (p[1] << 8));
            uint8_t* out = &picture.rgb[(y * 320 + x) * 3];
            out[0] = static_cast<uint8_t>(((word >> 11) & 31) << 3);
            out[1] = static_cast<uint8_t>(((word >> 5) & 63) << 2);
            out[2] = static_cast<uint8_t>((word & 31) << 3);
        }
    }
    engine.backend.display->EndDraw();
    return picture;
}

void Press(menu::EngineMenu& menu, int32_t core::InputState::*key) {
    core::InputState input;
    input.*key = 1;
    menu.HandleInput(input);
}

TEST(MenuPicture, DrawsLevelsOverTheScreenAndRestoresItOnClose) {
    testing_support::TempDir dir;
    engine_test::HeadlessEngine engine(dir.path().string() + "/");
    ASSERT_NE(engine->glyphs, nullptr);
    // A diagonal gradient under the menu.
    uint8_t* bits = engine->screen.Bits();
    for (int row = 0; row < 320; ++row) {
        for (int column = 0; column < 240; ++column) {
            uint8_t* p = bits + row * 720 + column * 3;
            p[0] = static_cast<uint8_t>(row / 2);
            p[1] = static_cast<uint8_t>(column);
            p[2] = 96;
        }
    }
    engine->screen.Present(engine->backend.display->BeginDraw());
    engine->backend.display->EndDraw();
    const golden::Picture under = DevicePicture(*engine);

    menu::EngineMenu menu(*engine->backend.window, engine->window, engine->settings, *engine->music,
                          nullptr, {});
    menu.SetPainter(
        std::make_unique<menu::MenuPainter>(engine->screen, *engine, engine->glyphs.get(), 2, 480));
    menu.Widget().statusText = [] { return menu::StatusLine({2026, 3, 7, 9, 5, 0, 6}, 87); };
    menu.Widget().EnableSlotMenus(false);
    ASSERT_TRUE(menu.Open());
    EXPECT_EQ(menu.Widget().Status(), "[2026-03-07 09:05][87%]");

    // The root: the save list disabled, the effects checked and selected.
    Press(menu, &core::InputState::down);
    Press(menu, &core::InputState::down);
    EXPECT_EQ(golden::Compare(DevicePicture(*engine), "menu_root"), "");

    // Two levels down: the music list, its play item disabled without music.
    Press(menu, &core::InputState::down);
    Press(menu, &core::InputState::right);
    Press(menu, &core::InputState::down);
    Press(menu, &core::InputState::down);
    Press(menu, &core::InputState::right);
    Press(menu, &core::InputState::down);
    EXPECT_EQ(golden::Compare(DevicePicture(*engine), "menu_music"), "");

    Press(menu, &core::InputState::keyB);
    EXPECT_FALSE(menu.Widget().IsOpen());
    EXPECT_EQ(DevicePicture(*engine).rgb, under.rgb);
}

}  // namespace
