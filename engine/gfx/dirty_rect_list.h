#pragma once
// The screen areas to redraw (draw flag 1) or only to copy to the device
// (draw flag 0) this frame, in landscape coordinates within 320 x 240.

#include <cstdint>
#include <vector>

#include "engine/gfx/rect.h"

namespace gfx {

class DirtyRectList {
public:
    // Refuses a rectangle wholly outside the screen; clamps it; with merge,
    // drops it when inside an existing node, absorbs nodes inside it, and
    // grows to the bounding box of every node it overlaps or touches (nodes
    // already passed are not looked at again). Returns 1 when appended.
    int Add(const Rect& rect, bool merge);
    int Count() const { return static_cast<int>(nodes_.size()); }
    // The node's draw flag (1 or 0); -1 for an index out of range.
    int Get(int index, Rect* rect) const;
    void Clear() { nodes_.clear(); }
    // 1 when a node with draw flag 1 overlaps the rectangle.
    int AnyFlaggedOverlaps(int32_t left, int32_t top, int32_t right, int32_t bottom) const;

private:
    struct Node {
        Rect rect;
        bool draw;
    };
    std::vector<Node> nodes_;
};

}  // namespace gfx
