#pragma once
// The screen areas to redraw (draw flag 1) or only to copy to the device
// (draw flag 0) this frame, in landscape coordinates within 320 x 240.

#include <cstdint>
#include <vector>

#include "engine/gfx/rect.h"

namespace gfx {

class DirtyRectList {
public:
    // Refuses a rectangle wholly outside the screen (right < 0, left > 320,
    // bottom < 0 or top > 240) and clamps the rest to the screen. Without
    // merge the rectangle is appended with draw flag 0. With merge the nodes
    // are examined in list order: the rectangle is dropped (result 0) when it
    // lies inside a node that is redrawn; a node inside it is removed; a node
    // it overlaps or touches is removed and the rectangle grows to the
    // bounding box of both. Nodes already passed are not looked at again once
    // it grows. It is then appended with draw flag 1. Returns 1 when appended.
    int Add(const Rect& rect, bool merge);
    int Count() const { return static_cast<int>(nodes_.size()); }
    // The node's draw flag (1 or 0); -1 for an index out of range.
    int Get(int index, Rect* rect) const;
    void Clear() { nodes_.clear(); }
    // 1 when a node with draw flag 1 shares at least one pixel with the
    // rectangle; touching edges do not count.
    int AnyFlaggedOverlaps(int32_t left, int32_t top, int32_t right, int32_t bottom) const;

private:
    struct Node {
        Rect rect;
        bool draw;
    };
    std::vector<Node> nodes_;
};

}  // namespace gfx
