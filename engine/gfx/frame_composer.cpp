#include "engine/gfx/frame_composer.h"

#include <algorithm>

#include "engine/gfx/pixel_ops.h"
#include "engine/gfx/text_layer.h"

namespace gfx {

namespace {

bool IsPicture(int32_t kind) {
    return kind == kDrawPicture || kind == kDrawPicture7 || kind == kDrawPicture30;
}

const Image* ImageIn(const ImageTable& images, int32_t slot) {
    if (slot < 0 || slot >= kImageSlotCount) return nullptr;
    const Image* image = images[static_cast<size_t>(slot)].get();
    return image != nullptr && image->HasPixels() ? image : nullptr;
}

// Cuts a stored destination and its equally sized stored source so that the
// destination stays inside destClip and the source inside sourceClip; both
// lose the same rows and columns. False when nothing is left.
bool ClipPair(Rect* destination, Rect* source, const Rect& destClip, const Rect& sourceClip) {
    const int32_t cutLeft =
        std::max({0, destClip.left - destination->left, sourceClip.left - source->left});
    const int32_t cutTop =
        std::max({0, destClip.top - destination->top, sourceClip.top - source->top});
    const int32_t cutRight =
        std::max({0, destination->right - destClip.right, source->right - sourceClip.right});
    const int32_t cutBottom =
        std::max({0, destination->bottom - destClip.bottom, source->bottom - sourceClip.bottom});
    destination->left += cutLeft;
    destination->top += cutTop;
    destination->right -= cutRight;
    destination->bottom -= cutBottom;
    source->left += cutLeft;
    source->top += cutTop;
    source->right -= cutRight;
    source->bottom -= cutBottom;
    return !destination->IsEmpty();
}

Rect StoredBounds(const Image& image) {
    return Rect{0, 0, image.storedWidth, image.storedHeight};
}

int EffectiveBrightness(const DrawObject& object, int32_t global) {
    int brightness = object.brightness;
    if ((object.flags & kDrawIgnoreBrightness) == 0 && global != 256) {
        brightness = (global * object.brightness) >> 8;
    }
    return std::clamp(brightness, 0, 512);
}

void DrawTransformed(const DrawObject& object, const Image& image, uint8_t* screenBits,
                     const Rect& clip, int opacity, int brightness) {
    Transform transform;
    transform.source =
        Rect{object.sourceLeft, object.sourceTop, object.sourceRight, object.sourceBottom};
    transform.x = object.x;
    transform.y = object.y;
    transform.pivotX = object.pivotX;
    transform.pivotY = object.pivotY;
    transform.scaleX = object.scaleX;
    transform.scaleY = object.scaleY;
    transform.angle = object.angle;
    DrawImageTransformed(image, screenBits, transform, clip, opacity, brightness);
}

}  // namespace

FrameComposer::FrameComposer() {
    ResetLevels();
}

void FrameComposer::ResetLevels() {
    for (int level = 0; level < kPriorityLevels; ++level) {
        DrawObject& sentinel = levels_[static_cast<size_t>(level)];
        sentinel.kind = kDrawNothing;
        sentinel.priority = level;
        sentinel.next = level > 0 ? &levels_[static_cast<size_t>(level - 1)] : nullptr;
    }
}

void FrameComposer::Insert(DrawObject* object) {
    if (object == nullptr || object->priority < 0 || object->priority >= kPriorityLevels) return;
    DrawObject& sentinel = levels_[static_cast<size_t>(object->priority)];
    DrawObject* first = object;
    DrawObject* last = object;
    if (!object->children.empty()) {
        // The child chain goes in, in its own order, in place of the object.
        first = nullptr;
        last = nullptr;
        for (const auto& child : object->children) {
            if (child == nullptr) continue;
            if (last == nullptr) {
                first = child.get();
            } else {
                last->next = child.get();
            }
            last = child.get();
        }
        if (first == nullptr) return;
    }
    last->next = sentinel.next;
    sentinel.next = first;
}

void FrameComposer::AddChangedRects(DrawObject& object, DirtyRectList& dirty) const {
    // Empty rectangles (an object never shown, a brightness setting) would
    // only clutter the list.
    auto add = [&dirty](const Rect& rect) {
        if (!rect.IsEmpty()) dirty.Add(rect, true);
    };
    if (object.remove) {
        add(object.currentRect);
        return;
    }
    if (object.changed) {
        add(object.previousRect);
        object.changed = false;
        object.currentRect = object.ScreenRect();
        object.previousRect = object.currentRect;
        add(object.currentRect);
    }
}

bool FrameComposer::ComposeFrame(ScreenBuffer& screen, const DirtyRectList& dirty,
                                 const ImageTable& images, TextLayer* text, MessageFont* font,
                                 const TextDrawSettings& textSettings) {
    const Destination destination{screen.Bits(), kStoredColumns};
    // Every rectangle starts from the brightness the frame started with, so
    // a brightness setting met during the walk cannot make one rectangle
    // differ from the next; the value it leaves is the next frame's.
    const int32_t frameBrightness = globalBrightness;
    const int count = dirty.Count();
    for (int index = 0; index < count; ++index) {
        Rect area;
        if (dirty.Get(index, &area) != 1) continue;
        area = Intersect(area, Rect{0, 0, kScreenWidth, kScreenHeight});
        if (area.IsEmpty()) continue;
        globalBrightness = frameBrightness;
        const Rect areaStored = ToPortraitRect(area, kScreenWidth);

        if (clearFlag) {
            uint32_t colour = 0;
            if (clearToGrey) {
                const uint32_t level =
                    static_cast<uint32_t>(std::clamp((globalBrightness * 255) >> 8, 0, 255));
                colour = level * 0x010101u;
            }
            FillRect(screen.Bits(), kStoredColumns, areaStored, colour);
        }

        for (const DrawObject* o = levels_[kPriorityLevels - 1].next; o != nullptr; o = o->next) {
            if (o->kind == kDrawBrightness) {
                globalBrightness = o->brightness;
                continue;
            }
            const bool picture = IsPicture(o->kind);
            if (!picture && o->kind != kDrawColourRect) continue;
            const int brightness = EffectiveBrightness(*o, globalBrightness);
            const int opacity = std::clamp<int>(o->opacity, 0, 256);
            const Rect placed{o->x, o->y, o->x + (o->sourceRight - o->sourceLeft),
                              o->y + (o->sourceBottom - o->sourceTop)};
            Rect placedStored = ToPortraitRect(placed, kScreenWidth);

            if (!picture) {
                if (o->opacity <= 0) continue;
                Rect unused = placedStored;
                if (!ClipPair(&placedStored, &unused, areaStored, unused)) continue;
                if (o->mode == kModeBlend) {
                    FillColour(o->colour, destination, placedStored, opacity, brightness);
                } else if (o->mode == kModeAdditive) {
                    FillColourAdditive(o->colour, destination, placedStored, opacity, brightness);
                }
                continue;
            }

            if (o->imageSlot < 0) continue;
            if (o->opacity <= 0 && o->secondImageSlot < 0) continue;
            const Image* image = ImageIn(images, o->imageSlot);
            if (image == nullptr) continue;
            const bool transformed = o->scaleX != 1000 || o->scaleY != 1000 || o->angle != 0;
            // Only an untransformed standard blend cross-fades; a second slot
            // without a picture leaves a plain draw. Anything else at opacity
            // 0 would show nothing (or only the opacity kernel's masking).
            const Image* second = o->secondImageSlot >= 0 && o->mode == kModeBlend && !transformed
                                      ? ImageIn(images, o->secondImageSlot)
                                      : nullptr;
            if (second == nullptr && o->opacity <= 0) continue;

            if (transformed) {
                if (o->mode == kModeBlend) {
                    DrawTransformed(*o, *image, screen.Bits(), area, opacity, brightness);
                }
                continue;
            }

            const Rect source{o->sourceLeft, o->sourceTop, o->sourceRight, o->sourceBottom};
            Rect sourceStored = ToPortraitRect(source, image->LandscapeWidth());
            Rect sourceClip = StoredBounds(*image);
            if (second != nullptr) {
                // Both pictures are read at the same stored position.
                sourceClip = Intersect(sourceClip, StoredBounds(*second));
            }
            if (!ClipPair(&placedStored, &sourceStored, areaStored, sourceClip)) continue;
            if (o->mode == kModeBlend) {
                if (second != nullptr) {
                    DrawCrossfade(*image, *second, destination, placedStored.left, placedStored.top,
                                  sourceStored, opacity, brightness);
                } else {
                    DrawImage(*image, destination, placedStored.left, placedStored.top,
                              sourceStored, opacity, brightness);
                }
            } else if (o->mode == kModeAdditive) {
                DrawImageAdditive(*image, destination, placedStored.left, placedStored.top,
                                  sourceStored, opacity, brightness);
            }
        }
    }

    if (text != nullptr) {
        text->MarkDirty(dirty);
        if (font != nullptr) {
            text->Draw(screen, *font, textSettings.supersampling, textSettings.shadow);
        }
    }
    return true;
}

void FrameComposer::PresentFrame(const ScreenBuffer& screen, const DirtyRectList& dirty,
                                 int32_t shakeX, int32_t shakeY, PresentTarget& target) const {
    if (shakeX == 0 && shakeY == 0) {
        if (dirty.Count() == 0) return;
        uint8_t* device = target.BeginDraw();
        if (device == nullptr) return;
        for (int index = 0; index < dirty.Count(); ++index) {
            Rect area;
            dirty.Get(index, &area);
            area = Intersect(area, Rect{0, 0, kScreenWidth, kScreenHeight});
            if (area.IsEmpty()) continue;
            const Rect stored = ToPortraitRect(area, kScreenWidth);
            screen.Present(device, stored, stored);
        }
        target.EndDraw();
        return;
    }

    // The picture moves by the offset; the strip it uncovers keeps what the
    // device showed before.
    Rect source{0, 0, kScreenWidth, kScreenHeight};
    Rect destination = source;
    if (shakeX < 0) {
        source.left -= shakeX;
        destination.right += shakeX;
    } else if (shakeX > 0) {
        source.right -= shakeX;
        destination.left += shakeX;
    }
    if (shakeY < 0) {
        source.top -= shakeY;
        destination.bottom += shakeY;
    } else if (shakeY > 0) {
        source.bottom -= shakeY;
        destination.top += shakeY;
    }
    uint8_t* device = target.BeginDraw();
    if (device == nullptr) return;
    if (!source.IsEmpty() && !destination.IsEmpty()) {
        screen.Present(device, ToPortraitRect(destination, kScreenWidth),
                       ToPortraitRect(source, kScreenWidth));
    }
    target.EndDraw();
}

}  // namespace gfx
