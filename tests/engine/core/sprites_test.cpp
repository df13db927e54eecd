// Sprites and image slots through the engine's frame pass, in process.

#include <gtest/gtest.h>

#include "engine/core/engine.h"
#include "engine_test_support.h"
#include "test_support.h"

namespace {

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig_ = std::make_unique<engine_test::HeadlessEngine>(dir_.path().string() + "/", false);
        engine_ = &**rig_;
        engine_->flow.gameState =
            core::kStateTitle;  // no logo: these tests place their own sprites
    }
    void TearDown() override { rig_.reset(); }

    // A solid landscape picture in an image slot.
    void SolidImage(int slot, int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
        ASSERT_EQ(engine_->CreateBlank(slot, width, height), 1);
        gfx::Image* image = engine_->ImageAt(slot);
        for (size_t i = 0; i < image->pixels.size(); i += 4) {
            image->pixels[i] = blue;
            image->pixels[i + 1] = green;
            image->pixels[i + 2] = red;
            image->pixels[i + 3] = 255;
        }
    }
    // Landscape pixel of the composed screen as red, green, blue.
    std::array<int, 3> ScreenPixel(int x, int y) {
        const uint8_t* p = engine_->screen.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
        return {p[2], p[1], p[0]};
    }
    void Frame(uint32_t advanceMs = 16) {
        engine_->clock.Sleep(advanceMs);
        engine_->RunFrame();
    }

    testing_support::TempDir dir_;
    std::unique_ptr<engine_test::HeadlessEngine> rig_;
    core::Engine* engine_ = nullptr;
};

// Design coordinates: 800 x 600 is the whole 320 x 240 screen.
TEST_F(SpriteTest, DesignRectangleOfTheWholeScreenCoversTheScreen) {
    engine_->MarkDirty(0, 0, 800, 600);
    gfx::Rect rect;
    ASSERT_EQ(engine_->dirty.Count(), 1);
    engine_->dirty.Get(0, &rect);
    EXPECT_EQ(rect, (gfx::Rect{0, 0, 320, 240}));
}

TEST_F(SpriteTest, LowerSlotIsOnTopWithinALayerAndLayerZeroInFrontOfAll) {
    SolidImage(1, 40, 40, 255, 0, 0);
    SolidImage(2, 40, 40, 0, 0, 255);
    SolidImage(3, 40, 40, 0, 255, 0);
    // Sprites 5 and 6 on layer 10, overlapping at design (100..200, 100..200).
    engine_->CreateSprite(6, 2, 0, 0, -1, -1, 100, 100, 0, 0, 10);
    engine_->CreateSprite(5, 1, 0, 0, -1, -1, 150, 150, 0, 0, 10);
    Frame();
    // Screen (60..100) for sprite 5 at design 150 → 60; sprite 6 at design 100 → 40.
    EXPECT_EQ(ScreenPixel(70, 70), (std::array<int, 3>{255, 0, 0}));  // slot 5 wins
    EXPECT_EQ(ScreenPixel(45, 45), (std::array<int, 3>{0, 0, 255}));

    // A sprite on layer 0 (the transition capture) covers everything else.
    engine_->CreateSprite(200, 3, 0, 0, -1, -1, 150, 150, 0, 0, 0);
    Frame();
    EXPECT_EQ(ScreenPixel(70, 70), (std::array<int, 3>{0, 255, 0}));

    // Deleting it shows what lay below again.
    engine_->DeleteSprite(200);
    Frame();
    EXPECT_EQ(ScreenPixel(70, 70), (std::array<int, 3>{255, 0, 0}));
}

TEST_F(SpriteTest, ScreenBrightnessScalesSpritesExceptThoseThatIgnoreIt) {
    SolidImage(1, 20, 20, 200, 200, 200);
    engine_->CreateSprite(10, 1, 0, 0, -1, -1, 0, 0, 0, 0, 20);
    engine_->CreateSprite(256, 1, 0, 0, -1, -1, 400, 0, 0, 0, 1);
    engine_->SpriteAt(256)->SetIgnoreScreenBrightness(true);
    engine_->SetBrightness(128);
    Frame();
    EXPECT_EQ(ScreenPixel(5, 5)[0], 128 * 200 >> 8);
    EXPECT_EQ(ScreenPixel(165, 5)[0], 200);
}

TEST_F(SpriteTest, FadeOutRemovesTheSpriteWhenItEnds) {
    SolidImage(1, 20, 20, 240, 240, 240);
    engine_->CreateSprite(12, 1, 0, 0, -1, -1, 0, 0, 0, 0, 20);
    Frame();
    engine_->StartFadeOut(12, 160);
    Frame(80);  // half way: about half opacity over black
    int half = ScreenPixel(5, 5)[0];
    EXPECT_GT(half, 90);
    EXPECT_LT(half, 150);
    Frame(80);
    EXPECT_EQ(engine_->SpriteAt(12), nullptr);
    EXPECT_EQ(ScreenPixel(5, 5)[0], 0);
}

TEST_F(SpriteTest, CellAnimationLoopsThroughItsCells) {
    SolidImage(1, 20, 20, 255, 0, 0);
    SolidImage(2, 20, 20, 0, 0, 255);
    engine_->CreateSprite(30, 1, 0, 0, -1, -1, 0, 0, 0, 0, 20);
    core::Sprite* sprite = engine_->SpriteAt(30);
    sprite->DefineCell(0, 1, 100, 1, 0, 0, 50, 50, 0, 0, 0);
    sprite->DefineCell(1, 0, 100, 2, 0, 0, 50, 50, 0, 0);
    sprite->StartAnimation(0, engine_->clock.Now());
    Frame();
    EXPECT_EQ(ScreenPixel(5, 5)[0], 255);
    Frame(100);
    EXPECT_EQ(ScreenPixel(5, 5)[2], 255);
    Frame(100);
    EXPECT_EQ(ScreenPixel(5, 5)[0], 255);
    sprite->StopAnimation();
    Frame();
    EXPECT_EQ(ScreenPixel(5, 5)[0], 255);
}

TEST_F(SpriteTest, SlotNumbersOutsideTheTablesSetErrorBits) {
    EXPECT_EQ(engine_->LoadImageSlot(67, 0, "GameData\\char\\x.rbp", gfx::Keying::kUnkeyed), 0);
    EXPECT_EQ(engine_->errorWord, core::kErrorImageSlot);
    engine_->CreateSprite(259, 0, 0, 0, -1, -1, 0, 0, 0, 0, 0);
    EXPECT_EQ(engine_->errorWord, core::kErrorImageSlot | core::kErrorSpriteSlot);
    // A failed load keeps an empty image in the slot and records the name as seen.
    EXPECT_EQ(engine_->LoadImageSlot(3, 0, "GameData\\char\\missing.rbp", gfx::Keying::kUnkeyed),
              0);
    EXPECT_TRUE(engine_->errorWord & core::kErrorImageLoad);
    ASSERT_NE(engine_->ImageAt(3), nullptr);
    EXPECT_FALSE(engine_->ImageAt(3)->HasPixels());
    ASSERT_FALSE(engine_->SeenImages().empty());
    EXPECT_EQ(engine_->SeenImages().back(), "missing.rbp");
}

}  // namespace
