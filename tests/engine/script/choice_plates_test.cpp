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
        rig_ = std::make_unique<engine_test::HeadlessEngine>(dir_.path().string() + "/");
        engine_ = &**rig_;
        // The window's picture, as the message window leaves it in image 1.
        ASSERT_EQ(engine_->CreateBlank(1, 304, 150), 1);
        for (size_t i = 3; i < engine_->ImageAt(1)->pixels.size(); i += 4) {
            engine_->ImageAt(1)->pixels[i] = 255;
        }
        plates_ = std::make_unique<script::ChoicePlates>(engine_->Services());
    }
    void TearDown() override {
        plates_.reset();
        rig_.reset();
    }
    // One run after the first, the keys released after it.
    int Run() {
        int result = plates_->Run(captions_, false);
        engine_->inputState = core::InputState{};
        return result;
    }
    void Tap(int i) {
        engine_->inputState.tap = true;
        engine_->inputState.stylusX = PlateRect(i).left + 5;
        engine_->inputState.stylusY = PlateRect(i).top + 5;
    }
    int32_t HighlightTop() {
        core::Sprite* highlight = engine_->SpriteAt(72);
        return highlight ? highlight->Object().ScreenRect().top : -1;
    }

    testing_support::TempDir dir_;
    std::unique_ptr<engine_test::HeadlessEngine> rig_;
    core::Engine* engine_ = nullptr;
    std::unique_ptr<script::ChoicePlates> plates_;
    std::vector<std::string> captions_ = {"Go left", "Go right", "Wait"};
};

TEST_F(PlatesTest, FirstRunBuildsPlatesAndCaptionsWithNothingSelected) {
    EXPECT_EQ(plates_->Run(captions_, true), -1);
    EXPECT_EQ(plates_->Selection(), 100);
    for (int i = 0; i < 3; ++i) {
        core::Sprite* plate = engine_->SpriteAt(64 + 2 * i);
        core::Sprite* caption = engine_->SpriteAt(65 + 2 * i);
        ASSERT_NE(plate, nullptr) << i;
        ASSERT_NE(caption, nullptr) << i;
        EXPECT_EQ(plate->Object().ScreenRect(), PlateRect(i));
        EXPECT_EQ(plate->Layer(), 9);
        EXPECT_EQ(caption->Layer(), 8);
        EXPECT_EQ(caption->Object().ScreenRect().left, gfx::DesignToScreenX(232));
        EXPECT_EQ(caption->Object().ScreenRect().top, gfx::DesignToScreenY(204 + 56 * i));
    }
    EXPECT_EQ(engine_->SpriteAt(70), nullptr);
    EXPECT_EQ(engine_->SpriteAt(72), nullptr);

    // The captions are white ink in their rows of image 2, and only there.
    gfx::Image* canvas = engine_->ImageAt(2);
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
    plates_->Run(captions_, true);
    engine_->inputState.up = 1;  // nothing selected: the last
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(plates_->Selection(), 2);
    EXPECT_EQ(HighlightTop(), PlateRect(2).top);
    EXPECT_EQ(engine_->SpriteAt(72)->Layer(), 7);
    engine_->inputState.up = 1;
    Run();
    engine_->inputState.up = 1;
    Run();
    EXPECT_EQ(plates_->Selection(), 0);
    engine_->inputState.up = 1;  // from the first: the last
    Run();
    EXPECT_EQ(plates_->Selection(), 2);
    engine_->inputState.down = 1;  // from the last: the first
    Run();
    EXPECT_EQ(plates_->Selection(), 0);
    EXPECT_EQ(HighlightTop(), PlateRect(0).top);
    // A held key (counter past 1) does not move it again.
    engine_->inputState.down = 2;
    Run();
    EXPECT_EQ(plates_->Selection(), 0);

    plates_->Run(captions_, true);
    engine_->inputState.down = 1;  // nothing selected: the first
    Run();
    EXPECT_EQ(plates_->Selection(), 0);
}

TEST_F(PlatesTest, TapOnAPlateSelectsAndConfirmsAtOnce) {
    plates_->Run(captions_, true);
    engine_->dirty.Clear();
    Tap(1);
    EXPECT_EQ(Run(), 1);
    for (int sprite = 64; sprite <= 72; ++sprite) EXPECT_EQ(engine_->SpriteAt(sprite), nullptr);
    EXPECT_EQ(engine_->ImageAt(2), nullptr);
    gfx::Rect rect;
    ASSERT_GE(engine_->dirty.Count(), 1);
    engine_->dirty.Get(engine_->dirty.Count() - 1, &rect);
    EXPECT_EQ(rect, (gfx::Rect{0, 0, 320, 240}));
}

TEST_F(PlatesTest, ConfirmWithoutASelectionChoosesNothing) {
    plates_->Run(captions_, true);
    engine_->inputState.keyC = 1;
    EXPECT_EQ(plates_->Run(captions_, false), -1);
    EXPECT_EQ(engine_->inputState.keyC, 0);  // used up all the same
    ASSERT_NE(engine_->SpriteAt(64), nullptr);

    // A tap beside the plates takes the selection away and confirms nothing.
    engine_->inputState.down = 1;
    Run();
    ASSERT_NE(engine_->SpriteAt(72), nullptr);
    engine_->inputState.tap = true;
    engine_->inputState.stylusX = 10;
    engine_->inputState.stylusY = 10;
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(plates_->Selection(), 100);
    EXPECT_EQ(engine_->SpriteAt(72), nullptr);

    // C confirms the selection.
    engine_->inputState.up = 1;
    Run();
    engine_->inputState.keyC = 1;
    EXPECT_EQ(Run(), 2);
}

TEST_F(PlatesTest, RemovingLeavesOtherUsersOfImageTwoAlone) {
    // Never built: image 2 is someone else's.
    ASSERT_EQ(engine_->CreateBlank(2, 10, 10), 1);
    plates_->Remove();
    EXPECT_NE(engine_->ImageAt(2), nullptr);

    plates_->Run({"A", "B", "C", "D", "E"}, true);  // at most four
    EXPECT_NE(engine_->SpriteAt(71), nullptr);
    EXPECT_EQ(engine_->SpriteAt(73), nullptr);
    plates_.reset();
    for (int sprite = 64; sprite <= 72; ++sprite) EXPECT_EQ(engine_->SpriteAt(sprite), nullptr);
    EXPECT_EQ(engine_->ImageAt(2), nullptr);
}

}  // namespace
