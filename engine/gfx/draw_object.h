#pragma once
// A draw object: a picture cut from an image slot, a colour rectangle or a
// brightness setting, drawn at one of 128 priority levels. The engine's
// sprites own one each; a fading sprite draws through one child piece.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/gfx/rect.h"

namespace gfx {

inline constexpr int kPriorityLevels = 128;

enum DrawKind : int32_t {
    kDrawNothing = 0,
    kDrawPicture = 1,
    kDrawPicture7 = 7,
    kDrawPicture30 = 30,
    kDrawColourRect = 6,
    kDrawBrightness = 10,
};

inline constexpr uint32_t kDrawIgnoreBrightness = 2;  // flags bit: ignore the global brightness

enum DrawMode : int16_t { kModeBlend = 0, kModeAdditive = 1 };

struct DrawObject {
    DrawObject* next = nullptr;  // link of the priority lists
    int32_t kind = kDrawPicture;
    uint32_t flags = 0;
    uint32_t colour = 0;  // 0x00RRGGBB, kind 6
    int16_t mode = kModeBlend;
    int16_t brightness = 256;
    int16_t opacity = 256;  // also the cross-fade ratio
    int16_t angle = 0;
    int16_t pivotX = 0;
    int16_t pivotY = 0;
    int16_t imageSlot = -1;
    int16_t sourceLeft = 0;  // landscape image coordinates
    int16_t sourceTop = 0;
    int16_t sourceRight = 0;
    int16_t sourceBottom = 0;
    int16_t x = 0;  // landscape screen position of the source's top-left corner
    int16_t y = 0;
    int16_t scaleX = 1000;
    int16_t scaleY = 1000;
    int16_t secondImageSlot = -1;  // negative: no cross-fade
    int16_t fillFlag = 0;          // kind 10
    bool visible = true;
    int32_t priority = 0;  // 0..127; 127 furthest back
    bool remove = false;
    bool changed = false;
    Rect previousRect;
    Rect currentRect;
    std::vector<std::unique_ptr<DrawObject>> children;  // drawn instead of the object itself

    // Screen rectangle the object covers now, not clipped to the screen:
    // position and source size for pictures and colour rectangles; for a
    // scaled or rotated picture a box (a pixel wider on every side) holding
    // everything the transformed drawing can touch; empty for other kinds.
    Rect ScreenRect() const;
};

}  // namespace gfx
