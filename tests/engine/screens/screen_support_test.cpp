// The lists of the screens: one press of Up or Down moves the selection,
// wrapping and passing over what cannot be chosen.

#include "engine/screens/screen_support.h"

#include <gtest/gtest.h>

namespace {

using screens::kNoSelection;

int Step(int selection, bool up, int count, std::function<bool(int)> selectable = {}) {
    core::InputState input;
    (up ? input.up : input.down) = 1;
    int moved = screens::StepSelection(input, selection, count, selectable);
    EXPECT_EQ(up ? input.up : input.down, 0) << "the press is used up";
    return moved;
}

TEST(ScreenSupport, StepSelectionWrapsAndSkips) {
    EXPECT_EQ(Step(kNoSelection, false, 5), 0);
    EXPECT_EQ(Step(kNoSelection, true, 5), 4);
    EXPECT_EQ(Step(0, true, 5), 4);
    EXPECT_EQ(Step(4, false, 5), 0);
    const auto odd = [](int item) { return item % 2 == 1; };
    EXPECT_EQ(Step(kNoSelection, false, 5, odd), 1);
    EXPECT_EQ(Step(3, false, 5, odd), 1);  // past 4 and 0
    EXPECT_EQ(Step(1, true, 5, odd), 3);   // past 0 and 4
    // Nothing to choose: the selection stays instead of searching for ever.
    EXPECT_EQ(Step(kNoSelection, false, 5, [](int) { return false; }), kNoSelection);
    // No press: nothing moves.
    core::InputState idle;
    EXPECT_EQ(screens::StepSelection(idle, 2, 5), 2);
}

}  // namespace
