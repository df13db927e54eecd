#include "engine/core/input_state.h"

#include <gtest/gtest.h>

namespace {

using platform::kVkA;
using platform::kVkB;
using platform::kVkC;
using platform::kVkCentre;
using platform::kVkDown;
using platform::kVkLeft;
using platform::kVkRight;
using platform::kVkUp;

class FakeMenu : public core::MenuControl {
public:
    bool IsMenuOpen() const override { return open; }
    bool OpenMenu() override {
        ++opened;
        open = canOpen;
        return canOpen;
    }
    bool open = false;
    bool canOpen = true;
    int opened = 0;
};

class InputTest : public ::testing::Test {
protected:
    InputTest() : input(state, settings, menu) {
        platform::GXKeyList keys{};
        keys.up.vkCode = kVkUp;
        keys.down.vkCode = kVkDown;
        keys.left.vkCode = kVkLeft;
        keys.right.vkCode = kVkRight;
        keys.a.vkCode = kVkA;
        keys.b.vkCode = kVkB;
        keys.c.vkCode = kVkC;
        input.SetKeyList(keys);
    }
    void Press(uint32_t key) {
        input.OnKey(key, true);
        input.OnKey(key, false);
    }
    // Counts one key-down without its key-up, to read the counter.
    int32_t DownCount(uint32_t key, int32_t core::InputState::*counter) {
        input.OnKey(key, true);
        int32_t value = state.*counter;
        input.OnKey(key, false);
        return value;
    }

    core::InputState state;
    core::Settings settings;
    FakeMenu menu;
    core::Input input;
};

TEST_F(InputTest, CursorModesCountDirectionsAsConfigured) {
    settings.cursorMode = 0;
    input.OnKey(kVkUp, true);
    input.OnKey(kVkUp, true);  // auto-repeat counts further
    EXPECT_EQ(state.up, 2);
    input.OnKey(kVkUp, false);
    EXPECT_EQ(state.up, 0);

    settings.cursorMode = 1;  // only while no other direction is held
    input.OnKey(kVkLeft, true);
    input.OnKey(kVkUp, true);
    EXPECT_EQ(state.up, 0);
    input.OnKey(kVkLeft, false);
    input.OnKey(kVkUp, false);

    settings.cursorMode = 2;  // Up, Up gives one Up; Up, Left, Up gives none
    EXPECT_EQ(DownCount(kVkUp, &core::InputState::up), 0);
    EXPECT_EQ(DownCount(kVkUp, &core::InputState::up), 1);
    state.ClearArming();
    EXPECT_EQ(DownCount(kVkUp, &core::InputState::up), 0);
    EXPECT_EQ(DownCount(kVkLeft, &core::InputState::left), 1);
    EXPECT_EQ(DownCount(kVkUp, &core::InputState::up), 0);

    settings.cursorMode = 3;  // the mirror: Left and Right need the arming press
    state.ClearArming();
    EXPECT_EQ(DownCount(kVkRight, &core::InputState::right), 0);
    EXPECT_EQ(DownCount(kVkRight, &core::InputState::right), 1);
    EXPECT_EQ(DownCount(kVkDown, &core::InputState::down), 1);
    EXPECT_EQ(DownCount(kVkRight, &core::InputState::right), 0);

    settings.cursorMode = 4;  // every direction needs its own arming press
    state.ClearArming();
    EXPECT_EQ(DownCount(kVkDown, &core::InputState::down), 0);
    EXPECT_EQ(DownCount(kVkDown, &core::InputState::down), 1);
    EXPECT_EQ(DownCount(kVkLeft, &core::InputState::left), 0);
    EXPECT_EQ(DownCount(kVkDown, &core::InputState::down), 0);
}

TEST_F(InputTest, DoubleClickCentreNeedsTwoPressesWithoutADirectionBetween) {
    settings.centreKeyControl = 0;
    settings.doubleClick = 1;
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 0);
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 1);
    state.ClearArming();
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 0);
    Press(kVkDown);
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 0);

    settings.doubleClick = 0;
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 1);
    EXPECT_FALSE(state.armCentre);
}

TEST_F(InputTest, MenuKeysOpenTheMenuAndAreUsedUp) {
    settings.centreKeyControl = 1;
    input.OnKey(kVkCentre, true);
    EXPECT_EQ(menu.opened, 1);
    EXPECT_EQ(state.centre, 0);
    input.OnKey(kVkCentre, false);

    menu.open = false;
    settings.centreKeyControl = 0;
    input.OnKey(kVkB, true);  // B opens the menu whatever the centre setting
    EXPECT_EQ(menu.opened, 2);
    EXPECT_EQ(state.keyB, 0);
    input.OnKey(kVkB, false);

    menu.open = false;
    menu.canOpen = false;  // a menu that cannot open leaves B counted
    input.OnKey(kVkB, true);
    EXPECT_EQ(state.keyB, 1);
}

TEST_F(InputTest, StylusIsConvertedAndWinsOverKeysInItsTick) {
    // Portrait window point (y, 320 - x) is landscape (x, y).
    input.OnStylusDown(100, 320 - 250);
    EXPECT_EQ(state.stylusX, 250);
    EXPECT_EQ(state.stylusY, 100);
    input.OnKey(kVkC, true);
    input.LatchInput();
    EXPECT_TRUE(state.tap);
    EXPECT_EQ(state.keyC, 0);
    input.OnStylusUp(100, 70);
    input.LatchInput();
    EXPECT_FALSE(state.tap);
    EXPECT_TRUE(state.released);
    input.LatchInput();
    EXPECT_FALSE(state.released);
}

TEST_F(InputTest, ConfirmKeysClearDirections) {
    input.OnKey(kVkUp, true);
    input.OnKey(kVkA, true);
    input.LatchInput();
    EXPECT_EQ(state.up, 0);
    EXPECT_EQ(state.keyA, 1);
}

TEST_F(InputTest, SkipModeWithAndWithoutTheLock) {
    // Without the lock, skipping lasts as long as Left is held.
    input.OnKey(kVkLeft, true);
    input.LatchInput();
    EXPECT_GT(state.left, 0);
    EXPECT_FALSE(settings.skipMode);
    input.OnKey(kVkLeft, false);
    EXPECT_EQ(state.left, 0);

    // With the lock, one press turns skipping on; the C that stops it is used up.
    settings.lockSkip = 1;
    input.OnKey(kVkLeft, true);
    input.LatchInput();
    EXPECT_TRUE(settings.skipMode);
    EXPECT_EQ(state.left, 0);
    input.OnKey(kVkLeft, false);
    input.OnKey(kVkC, true);
    input.LatchInput();
    EXPECT_FALSE(settings.skipMode);
    EXPECT_EQ(state.keyC, 0);
    EXPECT_FALSE(state.Confirmed());
}

}  // namespace
