#pragma once
// A sprite: a draw object together with its engine-side state, placed in
// design coordinates (800 x 600) and turned into screen coordinates each
// frame. It may run a cell animation and a fade-out effect.

#include <array>
#include <cstdint>
#include <memory>

#include "engine/gfx/draw_object.h"
#include "engine/gfx/image.h"

namespace core {

inline constexpr int kSpriteSlotCount = 259;  // 0..258
inline constexpr int kAnimationCells = 16;

struct AnimationCell {
    bool defined = false;
    int32_t next = 0;
    uint32_t duration = 0;  // ms
    int32_t imageSlot = -1;
    int32_t sourceX = 0;  // design coordinates
    int32_t sourceY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
};

// Where and how a sprite shows (design coordinates), as a save keeps it.
struct SpritePlacement {
    int32_t imageSlot = -1;
    int32_t sourceX = 0, sourceY = 0, width = 0, height = 0;
    int32_t x = 0, y = 0, hotX = 0, hotY = 0;
    int32_t layer = 0;
    int32_t alpha = 256;
    int32_t brightness = 256;
    bool visible = true;
};

class Sprite {
public:
    // Design coordinates; a width or height below 0 means the image's own, a
    // source x or y below 0 means 0. `images` gives the image's size.
    Sprite(int32_t imageSlot, int32_t sourceX, int32_t sourceY, int32_t width, int32_t height,
           int32_t x, int32_t y, int32_t hotX, int32_t hotY, int32_t layer,
           const gfx::ImageTable& images);

    void SetSource(int32_t sourceX, int32_t sourceY, int32_t width, int32_t height);
    void SetImageSlot(int32_t imageSlot);
    void SetPosition(int32_t x, int32_t y);
    void SetLayer(int32_t layer);  // 128 and above are ignored
    void SetAlpha(int32_t alpha);  // clamped to 0..256
    // Clamped to 0..512; `plus256` adds 256 first.
    void SetBrightness(int32_t brightness, bool plus256 = false);
    void SetHotSpot(int32_t hotX, int32_t hotY);
    void SetVisible(bool visible);
    void SetIgnoreScreenBrightness(bool ignore);

    void DefineCell(int cell, int32_t next, uint32_t duration, int32_t imageSlot, int32_t sourceX,
                    int32_t sourceY, int32_t width, int32_t height, int32_t offsetX,
                    int32_t offsetY, int sequenceEntry = -1);
    void StartAnimation(int sequenceEntry, uint32_t now);
    void StopAnimation();
    void StartFadeOut(uint32_t duration, uint32_t now);
    // Ends a running fade at once, with the same removal.
    void FinishFadeOut();
    bool IsFading() const { return fading_; }

    // Advances animation and effect to `now` and refreshes the draw object's
    // fields. Returns false when the sprite flagged itself for removal.
    bool Update(uint32_t now);

    gfx::DrawObject& Object() { return object_; }
    const gfx::DrawObject& Object() const { return object_; }
    int32_t Alpha() const { return alpha_; }
    int32_t Layer() const { return layer_; }
    SpritePlacement Placement() const {
        return SpritePlacement{imageSlot_, sourceX_, sourceY_, width_, height_,     x_,      y_,
                               hotX_,      hotY_,    layer_,   alpha_, brightness_, visible_};
    }
    // Puts the sprite where the placement says, through the setters' rules.
    void Place(const SpritePlacement& placement);

private:
    void Refresh();
    void MarkChanged() { object_.changed = true; }

    gfx::DrawObject object_;
    int32_t imageSlot_;
    int32_t sourceX_, sourceY_, width_, height_;  // design coordinates of the source
    int32_t x_, y_, hotX_, hotY_;
    int32_t layer_;
    int32_t alpha_ = 256;
    int32_t brightness_ = 256;
    bool visible_ = true;
    const gfx::ImageTable& images_;

    std::array<AnimationCell, kAnimationCells> cells_{};
    std::array<int32_t, kAnimationCells> sequences_{};
    bool animating_ = false;
    int32_t currentCell_ = 0;
    uint32_t changeTime_ = 0;
    int32_t savedImageSlot_ = -1;
    int32_t savedSourceX_ = 0, savedSourceY_ = 0, savedWidth_ = 0, savedHeight_ = 0;

    bool fading_ = false;
    uint32_t fadeStart_ = 0;
    uint32_t fadeDuration_ = 0;
    uint32_t lastNow_ = 0;
};

using SpriteTable = std::array<std::unique_ptr<Sprite>, kSpriteSlotCount>;

}  // namespace core
