#include "engine/gfx/dirty_rect_list.h"

#include <algorithm>
#include <cstddef>

#include "engine/gfx/screen_buffer.h"

namespace gfx {

namespace {

bool Contains(const Rect& outer, const Rect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Overlapping or touching: not strictly apart on either axis.
bool Adjoins(const Rect& a, const Rect& b) {
    return !(a.right < b.left || b.right < a.left || a.bottom < b.top || b.bottom < a.top);
}

}  // namespace

int DirtyRectList::Add(const Rect& rect, bool merge) {
    if (rect.right < 0 || rect.left > kScreenWidth || rect.bottom < 0 || rect.top > kScreenHeight) {
        return 0;
    }
    Rect grown{std::clamp(rect.left, 0, kScreenWidth), std::clamp(rect.top, 0, kScreenHeight),
               std::clamp(rect.right, 0, kScreenWidth), std::clamp(rect.bottom, 0, kScreenHeight)};

    if (merge) {
        // One pass in list order; erasing keeps the order of the survivors.
        for (size_t i = 0; i < nodes_.size();) {
            const Node& node = nodes_[i];
            // A copy-only node (a glyph box) must not swallow an area that
            // needs recomposing: it is absorbed below instead.
            if (node.draw && Contains(node.rect, grown)) return 0;
            if (Contains(grown, node.rect)) {
                nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(i));
            } else if (Adjoins(grown, node.rect)) {
                grown =
                    Rect{std::min(grown.left, node.rect.left), std::min(grown.top, node.rect.top),
                         std::max(grown.right, node.rect.right),
                         std::max(grown.bottom, node.rect.bottom)};
                nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
    }
    nodes_.push_back(Node{grown, merge});
    return 1;
}

int DirtyRectList::Get(int index, Rect* rect) const {
    if (index < 0 || index >= Count()) return -1;
    const Node& node = nodes_[static_cast<size_t>(index)];
    if (rect != nullptr) *rect = node.rect;
    return node.draw ? 1 : 0;
}

int DirtyRectList::AnyFlaggedOverlaps(int32_t left, int32_t top, int32_t right,
                                      int32_t bottom) const {
    for (const Node& node : nodes_) {
        if (node.draw && node.rect.left < right && left < node.rect.right &&
            node.rect.top < bottom && top < node.rect.bottom) {
            return 1;
        }
    }
    return 0;
}

}  // namespace gfx
