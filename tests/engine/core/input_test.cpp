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
    InputTest() : input_(state_, settings_, menu_) {
        platform::GXKeyList keys{};
        keys.up.vkCode = kVkUp;
        keys.down.vkCode = kVkDown;
        keys.left.vkCode = kVkLeft;
        keys.right.vkCode = kVkRight;
        keys.a.vkCode = kVkA;
        keys.b.vkCode = kVkB;
        keys.c.vkCode = kVkC;
        input_.SetKeyList(keys);
    }
    void Press(uint32_t key) {
        input_.OnKey(key, true);
        input_.OnKey(key, false);
    }
    // Counts one key-down without its key-up, to read the counter.
    int32_t DownCount(uint32_t key, int32_t core::InputState::*counter) {
        input_.OnKey(key, true);
        int32_t value = state_.*counter;
        input_.OnKey(key, false);
        return value;
    }

    core::InputState state_;
    core::Settings settings_;
    FakeMenu menu_;
    core::Input input_;
};

TEST_F(InputTest, CursorModesCountDirectionsAsConfigured) {
    settings_.cursorMode = 0;
    input_.OnKey(kVkUp, true);
    input_.OnKey(kVkUp, true);  // auto-repeat counts further
    EXPECT_EQ(state_.up, 2);
    input_.OnKey(kVkUp, false);
    EXPECT_EQ(state_.up, 0);

    settings_.cursorMode = 1;  // only while no other direction is held
    input_.OnKey(kVkLeft, true);
    input_.OnKey(kVkUp, true);
    EXPECT_EQ(state_.up, 0);
    input_.OnKey(kVkLeft, false);
    input_.OnKey(kVkUp, false);

    settings_.cursorMode = 2;  // Up, Up gives one Up; Up, Left, Up gives none
    EXPECT_EQ(DownCount(kVkUp, &core::InputState::up), 0);
    EXPECT_EQ(DownCount(kVkUp, &core::InputState::up), 1);
    state_.ClearArming();
    EXPECT_EQ(DownCount(kVkUp, &core::InputState::up), 0);
    EXPECT_EQ(DownCount(kVkLeft, &core::InputState::left), 1);
    EXPECT_EQ(DownCount(kVkUp, &core::InputState::up), 0);

    settings_.cursorMode = 3;  // the mirror: Left and Right need the arming press
    state_.ClearArming();
    EXPECT_EQ(DownCount(kVkRight, &core::InputState::right), 0);
    EXPECT_EQ(DownCount(kVkRight, &core::InputState::right), 1);
    EXPECT_EQ(DownCount(kVkDown, &core::InputState::down), 1);
    EXPECT_EQ(DownCount(kVkRight, &core::InputState::right), 0);

    settings_.cursorMode = 4;  // every direction needs its own arming press
    state_.ClearArming();
    EXPECT_EQ(DownCount(kVkDown, &core::InputState::down), 0);
    EXPECT_EQ(DownCount(kVkDown, &core::InputState::down), 1);
    EXPECT_EQ(DownCount(kVkLeft, &core::InputState::left), 0);
    EXPECT_EQ(DownCount(kVkDown, &core::InputState::down), 0);
}

TEST_F(InputTest, DoubleClickCentreNeedsTwoPressesWithoutADirectionBetween) {
    settings_.centreKeyControl = 0;
    settings_.doubleClick = 1;
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 0);
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 1);
    state_.ClearArming();
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 0);
    Press(kVkDown);
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 0);

    settings_.doubleClick = 0;
    EXPECT_EQ(DownCount(kVkCentre, &core::InputState::centre), 1);
    EXPECT_FALSE(state_.armCentre);
}

TEST_F(InputTest, MenuKeysOpenTheMenuAndAreUsedUp) {
    settings_.centreKeyControl = 1;
    input_.OnKey(kVkCentre, true);
    EXPECT_EQ(menu_.opened, 1);
    EXPECT_EQ(state_.centre, 0);
    input_.OnKey(kVkCentre, false);

    menu_.open = false;
    settings_.centreKeyControl = 0;
    input_.OnKey(kVkB, true);  // B opens the menu whatever the centre setting
    EXPECT_EQ(menu_.opened, 2);
    EXPECT_EQ(state_.keyB, 0);
    input_.OnKey(kVkB, false);

    // While the menu is open, B and the centre key are the menu's own: B
    // must reach it to close it, whatever the centre setting.
    settings_.centreKeyControl = 1;
    input_.OnKey(kVkB, true);
    EXPECT_EQ(menu_.opened, 2);
    EXPECT_EQ(state_.keyB, 1);
    input_.OnKey(kVkB, false);

    menu_.open = false;
    menu_.canOpen = false;  // a menu that cannot open leaves B counted
    settings_.centreKeyControl = 0;
    input_.OnKey(kVkB, true);
    EXPECT_EQ(state_.keyB, 1);
}

TEST_F(InputTest, StylusIsConvertedAndWinsOverKeysInItsTick) {
    // Portrait window point (y, 320 - x) is landscape (x, y).
    input_.OnStylusDown(100, 320 - 250);
    EXPECT_EQ(state_.stylusX, 250);
    EXPECT_EQ(state_.stylusY, 100);
    input_.OnKey(kVkC, true);
    input_.LatchInput();
    EXPECT_TRUE(state_.tap);
    EXPECT_EQ(state_.keyC, 0);
    input_.OnStylusUp(100, 70);
    input_.LatchInput();
    EXPECT_FALSE(state_.tap);
    EXPECT_TRUE(state_.released);
    input_.LatchInput();
    EXPECT_FALSE(state_.released);
}

TEST_F(InputTest, ConfirmKeysClearDirections) {
    input_.OnKey(kVkUp, true);
    input_.OnKey(kVkA, true);
    input_.LatchInput();
    EXPECT_EQ(state_.up, 0);
    EXPECT_EQ(state_.keyA, 1);
}

TEST_F(InputTest, SkipModeWithAndWithoutTheLock) {
    // Without the lock, skipping lasts as long as Left is held.
    input_.OnKey(kVkLeft, true);
    input_.LatchInput();
    EXPECT_GT(state_.left, 0);
    EXPECT_FALSE(settings_.skipMode);
    input_.OnKey(kVkLeft, false);
    EXPECT_EQ(state_.left, 0);

    // With the lock, one press turns skipping on; the C that stops it is used up.
    settings_.lockSkip = 1;
    input_.OnKey(kVkLeft, true);
    input_.LatchInput();
    EXPECT_TRUE(settings_.skipMode);
    EXPECT_EQ(state_.left, 0);
    input_.OnKey(kVkLeft, false);
    input_.OnKey(kVkC, true);
    input_.LatchInput();
    EXPECT_FALSE(settings_.skipMode);
    EXPECT_EQ(state_.keyC, 0);
    EXPECT_FALSE(state_.Confirmed());
}

}  // namespace
