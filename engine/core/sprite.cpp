#include "engine/core/sprite.h"

#include <algorithm>

namespace core {

using gfx::DesignToScreenX;
using gfx::DesignToScreenY;

Sprite::Sprite(int32_t imageSlot, int32_t sourceX, int32_t sourceY, int32_t width, int32_t height,
               int32_t x, int32_t y, int32_t hotX, int32_t hotY, int32_t layer,
               const gfx::ImageTable& images)
    : imageSlot_(imageSlot),
      sourceX_(std::max(sourceX, 0)),
      sourceY_(std::max(sourceY, 0)),
      width_(width),
      height_(height),
      x_(x),
      y_(y),
      hotX_(hotX),
      hotY_(hotY),
      layer_(std::clamp(layer, 0, gfx::kPriorityLevels - 1)),
      images_(images) {
    object_.kind = gfx::kDrawPicture;
    object_.changed = true;  // its rectangle becomes dirty in the next frame
    Refresh();
}

void Sprite::SetSource(int32_t sourceX, int32_t sourceY, int32_t width, int32_t height) {
    sourceX_ = std::max(sourceX, 0);
    sourceY_ = std::max(sourceY, 0);
    width_ = width;
    height_ = height;
    MarkChanged();
}

void Sprite::SetImageSlot(int32_t imageSlot) {
    imageSlot_ = imageSlot;
    MarkChanged();
}

void Sprite::SetPosition(int32_t x, int32_t y) {
    x_ = x;
    y_ = y;
    MarkChanged();
}

void Sprite::SetLayer(int32_t layer) {
    if (layer < 0 || layer >= gfx::kPriorityLevels) return;
    layer_ = layer;
    MarkChanged();
}

void Sprite::SetAlpha(int32_t alpha) {
    alpha_ = std::clamp(alpha, 0, 256);
    MarkChanged();
}

void Sprite::SetBrightness(int32_t brightness, bool plus256) {
    if (plus256) brightness += 256;
    brightness_ = std::clamp(brightness, 0, 512);
    MarkChanged();
}

void Sprite::Place(const SpritePlacement& placement) {
    SetImageSlot(placement.imageSlot);
    SetSource(placement.sourceX, placement.sourceY, placement.width, placement.height);
    SetPosition(placement.x, placement.y);
    SetHotSpot(placement.hotX, placement.hotY);
    SetLayer(placement.layer);
    SetAlpha(placement.alpha);
    SetBrightness(placement.brightness);
    SetVisible(placement.visible);
}

void Sprite::SetHotSpot(int32_t hotX, int32_t hotY) {
    hotX_ = hotX;
    hotY_ = hotY;
    MarkChanged();
}

void Sprite::SetVisible(bool visible) {
    visible_ = visible;
    MarkChanged();
}

void Sprite::SetIgnoreScreenBrightness(bool ignore) {
    if (ignore) {
        object_.flags |= gfx::kDrawIgnoreBrightness;
    } else {
        object_.flags &= ~gfx::kDrawIgnoreBrightness;
    }
    MarkChanged();
}

void Sprite::DefineCell(int cell, int32_t next, uint32_t duration, int32_t imageSlot,
                        int32_t sourceX, int32_t sourceY, int32_t width, int32_t height,
                        int32_t offsetX, int32_t offsetY, int sequenceEntry) {
    if (cell < 0 || cell >= kAnimationCells) return;
    cells_[cell] = AnimationCell{true,     std::clamp(next, 0, kAnimationCells - 1),
                                 duration, imageSlot,
                                 sourceX,  sourceY,
                                 width,    height,
                                 offsetX,  offsetY};
    if (sequenceEntry >= 0 && sequenceEntry < kAnimationCells) sequences_[sequenceEntry] = cell;
}

void Sprite::StartAnimation(int sequenceEntry, uint32_t now) {
    if (sequenceEntry < 0 || sequenceEntry >= kAnimationCells) return;
    int32_t cell = sequences_[sequenceEntry];
    if (!cells_[cell].defined) return;
    if (!animating_) {
        savedImageSlot_ = imageSlot_;
        savedSourceX_ = sourceX_;
        savedSourceY_ = sourceY_;
        savedWidth_ = width_;
        savedHeight_ = height_;
    }
    animating_ = true;
    currentCell_ = cell;
    changeTime_ = now + cells_[cell].duration;
    MarkChanged();
}

void Sprite::StopAnimation() {
    if (!animating_) return;
    animating_ = false;
    imageSlot_ = savedImageSlot_;
    sourceX_ = savedSourceX_;
    sourceY_ = savedSourceY_;
    width_ = savedWidth_;
    height_ = savedHeight_;
    MarkChanged();
}

void Sprite::StartFadeOut(uint32_t duration, uint32_t now) {
    lastNow_ = now;
    fading_ = true;
    fadeStart_ = now;
    fadeDuration_ = duration;
    object_.children.clear();
    object_.children.push_back(std::make_unique<gfx::DrawObject>());
    MarkChanged();
}

void Sprite::FinishFadeOut() {
    if (!fading_) return;
    fading_ = false;
    object_.children.clear();
    object_.remove = true;
}

bool Sprite::Update(uint32_t now) {
    lastNow_ = now;
    if (animating_ && static_cast<int32_t>(now - changeTime_) >= 0) {
        currentCell_ = cells_[currentCell_].next;
        changeTime_ = now + cells_[currentCell_].duration;
        MarkChanged();
    }
    if (fading_) {
        uint32_t elapsed = now - fadeStart_;
        if (elapsed >= fadeDuration_) {
            FinishFadeOut();
            return false;
        }
        MarkChanged();  // the piece's opacity changes every frame
    }
    Refresh();
    return !object_.remove;
}

void Sprite::Refresh() {
    int32_t slot = imageSlot_;
    int32_t sourceX = sourceX_, sourceY = sourceY_, width = width_, height = height_;
    int32_t offsetX = 0, offsetY = 0;
    if (animating_) {
        const AnimationCell& cell = cells_[currentCell_];
        slot = cell.imageSlot;
        sourceX = std::max(cell.sourceX, 0);
        sourceY = std::max(cell.sourceY, 0);
        width = cell.width;
        height = cell.height;
        offsetX = cell.offsetX;
        offsetY = cell.offsetY;
    }
    const gfx::Image* image =
        (slot >= 0 && slot < gfx::kImageSlotCount) ? images_[slot].get() : nullptr;
    int32_t left = DesignToScreenX(sourceX);
    int32_t top = DesignToScreenY(sourceY);
    int32_t screenWidth = DesignToScreenX(width);
    int32_t screenHeight = DesignToScreenY(height);
    if (width < 0) screenWidth = image != nullptr ? image->LandscapeWidth() - left : 0;
    if (height < 0) screenHeight = image != nullptr ? image->LandscapeHeight() - top : 0;

    gfx::DrawObject& o = object_;
    o.imageSlot = static_cast<int16_t>(slot);
    o.sourceLeft = static_cast<int16_t>(left);
    o.sourceTop = static_cast<int16_t>(top);
    o.sourceRight = static_cast<int16_t>(left + std::max(screenWidth, 0));
    o.sourceBottom = static_cast<int16_t>(top + std::max(screenHeight, 0));
    o.x = static_cast<int16_t>(DesignToScreenX(x_) - DesignToScreenX(hotX_) +
                               DesignToScreenX(offsetX));
    o.y = static_cast<int16_t>(DesignToScreenY(y_) - DesignToScreenY(hotY_) +
                               DesignToScreenY(offsetY));
    o.opacity = static_cast<int16_t>(alpha_);
    o.brightness = static_cast<int16_t>(brightness_);
    o.priority = layer_;
    o.visible = visible_;

    if (fading_ && !o.children.empty()) {
        gfx::DrawObject& piece = *o.children.front();
        // The piece copies the sprite's drawing fields and fades its opacity.
        piece.kind = o.kind;
        piece.flags = o.flags;
        piece.mode = o.mode;
        piece.brightness = o.brightness;
        piece.angle = o.angle;
        piece.pivotX = o.pivotX;
        piece.pivotY = o.pivotY;
        piece.imageSlot = o.imageSlot;
        piece.sourceLeft = o.sourceLeft;
        piece.sourceTop = o.sourceTop;
        piece.sourceRight = o.sourceRight;
        piece.sourceBottom = o.sourceBottom;
        piece.x = o.x;
        piece.y = o.y;
        piece.scaleX = o.scaleX;
        piece.scaleY = o.scaleY;
        piece.secondImageSlot = o.secondImageSlot;
        piece.priority = o.priority;
        piece.visible = true;
        int32_t t = static_cast<int32_t>(lastNow_ - fadeStart_);
        int32_t opacity =
            fadeDuration_ == 0 ? 0 : 256 - t * 256 / static_cast<int32_t>(fadeDuration_);
        piece.opacity = static_cast<int16_t>(std::clamp(opacity, 0, 256));
    }
}

}  // namespace core
