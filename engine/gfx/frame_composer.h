#pragma once
// Per-frame composition: the 128 priority levels, redrawing the dirty
// rectangles into the screen buffer, and presenting them to the device.
//
// Frame order, driven by the engine: ResetLevels; the game state runs; every
// visible object is Insert-ed (the engine's sprite pass); removed and changed
// objects add their rectangles (HandleRemovedAndChanged); ComposeFrame;
// PresentFrame; the dirty list is cleared.

#include <array>
#include <cstdint>

#include "engine/gfx/dirty_rect_list.h"
#include "engine/gfx/draw_object.h"
#include "engine/gfx/image.h"
#include "engine/gfx/screen_buffer.h"

namespace gfx {

class TextLayer;
class MessageFont;

// Where presented pixels go: the device frame buffer between one begin and
// one end of drawing per frame.
class PresentTarget {
public:
    virtual ~PresentTarget() = default;
    virtual uint8_t* BeginDraw() = 0;  // nullptr: nothing is presented
    virtual void EndDraw() = 0;
};

struct TextDrawSettings {
    int supersampling = 0;  // level L: factor L + 1
    bool shadow = true;
};

class FrameComposer {
public:
    FrameComposer();

    // Chains the sentinels from level 127 down to 0 and empties every level.
    void ResetLevels();
    // Inserts the object (or its child chain, in its order) right after its
    // level's sentinel: within a level, the object inserted last is drawn
    // first. A priority outside 0..127 is not inserted.
    void Insert(DrawObject* object);
    // An object flagged for removal adds its current rectangle (merged); an
    // object flagged as changed adds its previous rectangle (merged), clears
    // the flag, takes ScreenRect() as both its current and previous rectangle
    // and adds it too. Empty rectangles are not added.
    void AddChangedRects(DrawObject& object, DirtyRectList& dirty) const;

    // Redraws every dirty rectangle with draw flag 1 (cleared first when
    // clearFlag is set, to black or to the grey of the global brightness),
    // then lets the text layer mark and draw its cells (when given). Every
    // rectangle starts from the global brightness the frame started with; a
    // brightness setting changes it for the objects after it and leaves its
    // value for the next frame. Returns true.
    bool ComposeFrame(ScreenBuffer& screen, const DirtyRectList& dirty, const ImageTable& images,
                      TextLayer* text, MessageFont* font, const TextDrawSettings& textSettings);
    // Copies the dirty rectangles of both draw flags (or, with a shake
    // offset, the whole screen moved by it) to the device between one
    // BeginDraw and one EndDraw. Without a shake an empty list presents
    // nothing and does not begin drawing.
    void PresentFrame(const ScreenBuffer& screen, const DirtyRectList& dirty, int32_t shakeX,
                      int32_t shakeY, PresentTarget& target) const;

    // The objects in drawing order (furthest back first), for tests.
    template <typename F>
    void ForEachInDrawOrder(F&& visit) const {
        for (const DrawObject* o = levels_[kPriorityLevels - 1].next; o != nullptr; o = o->next) {
            if (o->kind != kDrawNothing) visit(*o);
        }
    }

    int32_t globalBrightness = 256;
    bool clearToGrey = false;
    bool clearFlag = true;

private:
    std::array<DrawObject, kPriorityLevels> levels_;  // sentinels of kind 0
};

}  // namespace gfx
