// The choice plates of dialects 0 and 1 on an in-process engine: building,
// selection by the keys and the stylus, and confirming.

#include "engine/script/choice_plates.h"

#include <gtest/gtest.h>

#include "engine/core/engine.h"
#include "engine_test_support.h"
#include "platform/glyph_rasterizer.h"
#include "test_support.h"

namespace {

// Plate i's screen rectangle: design 200, 200 + 56i, 456 x 40.
gfx::Rect PlateRect(int i) {
    int32_t top = gfx::DesignToScreenY(200 + 56 * i);
    return gfx::Rect{80, top, 80 + 182, top + 16};
}

class PlatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig = std::make_unique<engine_test::HeadlessEngine>(dir.path().string() + "/");
        engine = &**rig;
        // The window's picture, as the message window leaves it in image 1.
        ASSERT_EQ(engine->CreateBlank(1, 304, 150), 1);
        for (size_t i = 3; i < engine->ImageAt(1)->pixels.size(); i += 4) {
            engine->ImageAt(1)->pixels[i] = 255;
        }
        plates = std::make_unique<script::ChoicePlates>(engine->Services());
    }
    void TearDown() override {
        plates.reset();
        rig.reset();
    }
    // One run after the first, the keys released after it.
    int Run() {
        int result = plates->Run(captions, false);
        engine->inputState = core::InputState{};
        return result;
    }
    void Tap(int i) {
        engine->inputState.tap = true;
        engine->inputState.stylusX = PlateRect(i).left + 5;
        engine->inputState.stylusY = PlateRect(i).top + 5;
    }
    int32_t HighlightTop() {
        core::Sprite* highlight = engine->SpriteAt(72);
        return highlight ? highlight->Object().ScreenRect().top : -1;
    }

    testing_support::TempDir dir;
    std::unique_ptr<engine_test::HeadlessEngine> rig;
    core::Engine* engine = nullptr;
    std::unique_ptr<script::ChoicePlates> plates;
    std::vector<std::string> captions = {"Go left", "Go right", "Wait"};
};

TEST_F(PlatesTest, FirstRunBuildsPlatesAndCaptionsWithNothingSelected) {
    EXPECT_EQ(plates->Run(captions, true), -1);
    EXPECT_EQ(plates->Selection(), 100);
    for (int i = 0; i < 3; ++i) {
        core::Sprite* plate = engine->SpriteAt(64 + 2 * i);
        core::Sprite* caption = engine->SpriteAt(65 + 2 * i);
        ASSERT_NE(plate, nullptr) << i;
        ASSERT_NE(caption, nullptr) << i;
        EXPECT_EQ(plate->Object().ScreenRect(), PlateRect(i));
        EXPECT_EQ(plate->Layer(), 9);
        EXPECT_EQ(caption->Layer(), 8);
        EXPECT_EQ(caption->Object().ScreenRect().left, gfx::DesignToScreenX(232));
        EXPECT_EQ(caption->Object().ScreenRect().top, gfx::DesignToScreenY(204 + 56 * i));
    }
    EXPECT_EQ(engine->SpriteAt(70), nullptr);
    EXPECT_EQ(engine->SpriteAt(72), nullptr);

    // The captions are white ink in their rows of image 2, and only there.
    gfx::Image* canvas = engine->ImageAt(2);
    ASSERT_NE(canvas, nullptr);
    auto inkInRow = [canvas](int row) {
        int ink = 0;
        for (int y = 12 * row; y < 12 * row + 12; ++y) {
            for (int x = 0; x < 100; ++x) {
                const uint8_t* p = &canvas->pixels[canvas->OffsetOf(x, y)];
                if (p[3] > 128) {
                    ++ink;
                    EXPECT_EQ(p[0] + p[1] + p[2], 3 * 255);
                }
            }
        }
        return ink;
    };
    for (int row = 0; row < 3; ++row) EXPECT_GT(inkInRow(row), 20) << row;
    EXPECT_EQ(inkInRow(3), 0);
}

TEST_F(PlatesTest, UpAndDownWrapAndStartFromTheEnds) {
    plates->Run(captions, true);
    engine->inputState.up = 1;  // nothing selected: the last
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(plates->Selection(), 2);
    EXPECT_EQ(HighlightTop(), PlateRect(2).top);
    EXPECT_EQ(engine->SpriteAt(72)->Layer(), 7);
    engine->inputState.up = 1;
    Run();
    engine->inputState.up = 1;
    Run();
    EXPECT_EQ(plates->Selection(), 0);
    engine->inputState.up = 1;  // from the first: the last
    Run();
    EXPECT_EQ(plates->Selection(), 2);
    engine->inputState.down = 1;  // from the last: the first
    Run();
    EXPECT_EQ(plates->Selection(), 0);
    EXPECT_EQ(HighlightTop(), PlateRect(0).top);
    // A held key (counter past 1) does not move it again.
    engine->inputState.down = 2;
    Run();
    EXPECT_EQ(plates->Selection(), 0);

    plates->Run(captions, true);
    engine->inputState.down = 1;  // nothing selected: the first
    Run();
    EXPECT_EQ(plates->Selection(), 0);
}

TEST_F(PlatesTest, TapOnAPlateSelectsAndConfirmsAtOnce) {
    plates->Run(captions, true);
    engine->dirty.Clear();
    Tap(1);
    EXPECT_EQ(Run(), 1);
    for (int sprite = 64; sprite <= 72; ++sprite) EXPECT_EQ(engine->SpriteAt(sprite), nullptr);
    EXPECT_EQ(engine->ImageAt(2), nullptr);
    gfx::Rect rect;
    ASSERT_GE(engine->dirty.Count(), 1);
    engine->dirty.Get(engine->dirty.Count() - 1, &rect);
    EXPECT_EQ(rect, (gfx::Rect{0, 0, 320, 240}));
}

TEST_F(PlatesTest, ConfirmWithoutASelectionChoosesNothing) {
    plates->Run(captions, true);
    engine->inputState.keyC = 1;
    EXPECT_EQ(plates->Run(captions, false), -1);
    EXPECT_EQ(engine->inputState.keyC, 0);  // used up all the same
    ASSERT_NE(engine->SpriteAt(64), nullptr);

    // A tap beside the plates takes the selection away and confirms nothing.
    engine->inputState.down = 1;
    Run();
    ASSERT_NE(engine->SpriteAt(72), nullptr);
    engine->inputState.tap = true;
    engine->inputState.stylusX = 10;
    engine->inputState.stylusY = 10;
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(plates->Selection(), 100);
    EXPECT_EQ(engine->SpriteAt(72), nullptr);

    // C confirms the selection.
    engine->inputState.up = 1;
    Run();
    engine->inputState.keyC = 1;
    EXPECT_EQ(Run(), 2);
}

TEST_F(PlatesTest, RemovingLeavesOtherUsersOfImageTwoAlone) {
    // Never built: image 2 is someone else's.
    ASSERT_EQ(engine->CreateBlank(2, 10, 10), 1);
    plates->Remove();
    EXPECT_NE(engine->ImageAt(2), nullptr);

    plates->Run({"A", "B", "C", "D", "E"}, true);  // at most four
    EXPECT_NE(engine->SpriteAt(71), nullptr);
    EXPECT_EQ(engine->SpriteAt(73), nullptr);
    plates.reset();
    for (int sprite = 64; sprite <= 72; ++sprite) EXPECT_EQ(engine->SpriteAt(sprite), nullptr);
    EXPECT_EQ(engine->ImageAt(2), nullptr);
}

}  // namespace
