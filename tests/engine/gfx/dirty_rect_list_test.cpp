#include "engine/gfx/dirty_rect_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using gfx::DirtyRectList;
using gfx::Rect;

struct Node {
    Rect rect;
    int draw;
    bool operator==(const Node&) const = default;
};

std::vector<Node> Nodes(const DirtyRectList& list) {
    std::vector<Node> nodes;
    for (int i = 0; i < list.Count(); ++i) {
        Node node;
        node.draw = list.Get(i, &node.rect);
        nodes.push_back(node);
    }
    return nodes;
}

void PrintTo(const Node& node, std::ostream* out) {
    *out << "(" << node.rect.left << "," << node.rect.top << "," << node.rect.right << ","
         << node.rect.bottom << " draw " << node.draw << ")";
}

// Touching rectangles (edge or corner) merge; one pixel of gap keeps them apart.
TEST(DirtyRectList, TouchingRectanglesMergeSeparatedOnesDoNot) {
    DirtyRectList list;
    EXPECT_EQ(list.Add({0, 0, 10, 10}, true), 1);
    EXPECT_EQ(list.Add({10, 0, 20, 10}, true), 1);
    EXPECT_EQ(Nodes(list), (std::vector<Node>{{{0, 0, 20, 10}, 1}}));

    EXPECT_EQ(list.Add({20, 10, 30, 20}, true), 1);  // corner contact
    EXPECT_EQ(Nodes(list), (std::vector<Node>{{{0, 0, 30, 20}, 1}}));

    EXPECT_EQ(list.Add({31, 0, 40, 20}, true), 1);
    EXPECT_EQ(list.Add({0, 21, 30, 30}, true), 1);
    EXPECT_EQ(list.Count(), 3);
}

TEST(DirtyRectList, RectangleInsideANodeIsDroppedAndNodesInsideItAreRemoved) {
    DirtyRectList list;
    list.Add({0, 0, 100, 100}, true);
    list.Add({200, 0, 210, 10}, true);
    EXPECT_EQ(list.Add({10, 10, 20, 20}, true), 0);
    EXPECT_EQ(list.Add({0, 0, 100, 100}, true), 0);  // equal counts as inside
    EXPECT_EQ(Nodes(list), (std::vector<Node>{{{0, 0, 100, 100}, 1}, {{200, 0, 210, 10}, 1}}));

    // A rectangle swallowing the first node goes to the end of the list.
    EXPECT_EQ(list.Add({0, 0, 150, 150}, true), 1);
    EXPECT_EQ(Nodes(list), (std::vector<Node>{{{200, 0, 210, 10}, 1}, {{0, 0, 150, 150}, 1}}));
}

TEST(DirtyRectList, OffScreenRectanglesAreRefusedTheRestClamped) {
    DirtyRectList list;
    EXPECT_EQ(list.Add({-10, 0, -1, 10}, true), 0);
    EXPECT_EQ(list.Add({321, 0, 330, 10}, true), 0);
    EXPECT_EQ(list.Add({0, -10, 10, -1}, true), 0);
    EXPECT_EQ(list.Add({0, 241, 10, 250}, true), 0);
    EXPECT_EQ(list.Count(), 0);

    EXPECT_EQ(list.Add({-50, -50, 400, 300}, true), 1);
    EXPECT_EQ(Nodes(list), (std::vector<Node>{{{0, 0, 320, 240}, 1}}));

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Add({320, 240, 330, 250}, false), 1);  // on the edge: kept, empty
    EXPECT_EQ(Nodes(list), (std::vector<Node>{{{320, 240, 320, 240}, 0}}));
}

// After the new rectangle grows, nodes it already passed are not revisited,
// even when the grown rectangle now covers them.
TEST(DirtyRectList, PassedNodesAreNotRevisitedAfterGrowing) {
    DirtyRectList list;
    list.Add({0, 0, 10, 10}, true);
    list.Add({0, 20, 30, 30}, true);
    EXPECT_EQ(list.Add({20, 0, 30, 20}, true), 1);
    EXPECT_EQ(Nodes(list), (std::vector<Node>{{{0, 0, 10, 10}, 1}, {{0, 0, 30, 30}, 1}}));
}

TEST(DirtyRectList, WithoutMergeNodesAreAppendedCopyOnly) {
    DirtyRectList list;
    list.Add({0, 0, 100, 100}, true);
    EXPECT_EQ(list.Add({10, 10, 22, 22}, false), 1);
    EXPECT_EQ(list.Add({10, 10, 22, 22}, false), 1);
    EXPECT_EQ(
        Nodes(list),
        (std::vector<Node>{{{0, 0, 100, 100}, 1}, {{10, 10, 22, 22}, 0}, {{10, 10, 22, 22}, 0}}));
    Rect untouched{1, 2, 3, 4};
    EXPECT_EQ(list.Get(3, &untouched), -1);
    EXPECT_EQ(list.Get(-1, &untouched), -1);
    EXPECT_EQ(untouched, (Rect{1, 2, 3, 4}));
}

// A glyph box (copy only) must not swallow an area that needs redrawing: the
// redraw takes the box over instead.
TEST(DirtyRectList, RedrawInsideACopyOnlyNodeTakesTheNodeOver) {
    DirtyRectList list;
    list.Add({10, 10, 22, 22}, false);
    EXPECT_EQ(list.Add({12, 12, 14, 14}, true), 1);
    EXPECT_EQ(Nodes(list), (std::vector<Node>{{{10, 10, 22, 22}, 1}}));
}

TEST(DirtyRectList, AnyFlaggedOverlapsIgnoresCopyOnlyNodesAndTouchingEdges) {
    DirtyRectList list;
    list.Add({0, 0, 10, 10}, true);
    list.Add({100, 100, 120, 120}, false);
    EXPECT_EQ(list.AnyFlaggedOverlaps(9, 9, 20, 20), 1);
    EXPECT_EQ(list.AnyFlaggedOverlaps(10, 0, 20, 10), 0);
    EXPECT_EQ(list.AnyFlaggedOverlaps(0, 10, 10, 20), 0);
    EXPECT_EQ(list.AnyFlaggedOverlaps(105, 105, 110, 110), 0);
}

}  // namespace
