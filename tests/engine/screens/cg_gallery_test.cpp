// The CG gallery on the assembled game: thumbnails of seen pictures, locked
// ones that keys and taps pass over, the viewer showing only the seen
// pictures of a thumbnail, pages and tabs.

#include <gtest/gtest.h>

#include "gallery_rig.h"
#include "platform/gx.h"

namespace {

using gallery_test::GalleryRig;
using gallery_test::kHighlighted;
using gallery_test::kLocked;
using gallery_test::kTitle;
using gallery_test::kViewerFirst;
using gallery_test::kViewerSecond;
using gallery_test::Near;
using gallery_test::Rgb;

constexpr Rgb kBackground{40, 90, 40};

struct Box {
    int32_t x, y, width, height;
};
Box Thumbnail(int i) {
    return {400 + (i % 3) * 104, 184 + (i / 3) * 80, 96, 72};
}
Box Tab(int t) {
    return {t % 2 == 0 ? 56 : 120, 248 + 40 * t, 160, 32};
}
constexpr Box kPageButton{640, 440, 40, 32};

Rgb Centre(GalleryRig& rig, const Box& box) {
    return rig.Centre(box.x, box.y, box.width, box.height);
}
void Tap(GalleryRig& rig, const Box& box) {
    rig.Tap(box.x, box.y, box.width, box.height);
}

void Open(GalleryRig& rig) {
    rig.Enter(core::kStateCgGallery);
    ASSERT_TRUE(rig.RunUntil(core::kStateCgGallery, 2));
}

TEST(CgGallery, ThumbnailsOfSeenPicturesOnlyAreChosen) {
    GalleryRig rig;
    Open(rig);
    EXPECT_EQ(rig.Engine().music->Name(), "09.mp3");
    // Thumbnail 1's picture was never shown, thumbnail 2 has no pictures;
    // the page ends at thumbnail 3, the last the table names.
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(0)), kTitle));
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(1)), kLocked));
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(2)), kLocked));
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(3)), kTitle));
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(4)), kBackground));
    EXPECT_EQ(golden::Compare(rig.Screen(), "cg-gallery"), "");

    rig.Press(platform::kVkUp);  // from none to the last thumbnail
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(3)), kHighlighted));
    rig.Press(platform::kVkUp);  // past the locked ones
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(0)), kHighlighted));
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(3)), kTitle));
    rig.Press(platform::kVkDown);
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(3)), kHighlighted));
    rig.Press(platform::kVkDown);  // round to the first page button
    EXPECT_TRUE(Near(Centre(rig, kPageButton), kHighlighted));

    Tap(rig, Thumbnail(1));
    EXPECT_TRUE(Near(Centre(rig, kPageButton), gallery_test::kNormalButton));
    EXPECT_EQ(rig.Engine().flow.subState, 2);
    EXPECT_EQ(rig.SpriteAt(21), nullptr);
}

// The viewer steps through the thumbnail's pictures in table order, leaving
// out the unseen middle one, and then returns to the grid.
TEST(CgGallery, ViewerShowsTheSeenPicturesInTableOrder) {
    GalleryRig rig;
    Open(rig);
    Tap(rig, Thumbnail(0));
    rig.Frame();
    EXPECT_EQ(rig.Engine().flow.subState, 21);
    EXPECT_TRUE(Near(rig.Pixel(400, 300), kViewerFirst));
    EXPECT_EQ(golden::Compare(rig.Screen(), "cg-viewer"), "");
    rig.Frames(5);  // the picture stays until confirmed
    EXPECT_TRUE(Near(rig.Pixel(400, 300), kViewerFirst));

    rig.Press(platform::kVkC);
    rig.Frame();
    EXPECT_TRUE(Near(rig.Pixel(400, 300), kViewerSecond));
    Tap(rig, Thumbnail(4));
    rig.Frame();
    EXPECT_EQ(rig.Engine().flow.subState, 2);
    EXPECT_EQ(rig.SpriteAt(21), nullptr);
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(0)), kHighlighted));
}

TEST(CgGallery, PagesOfTwoPageTabsAndPicturesSeenInThisRun) {
    GalleryRig rig;
    // Shown by the story in this run, after the seen file was read.
    rig.Engine().LoadImageSlot(30, 0, "GameData\\char\\back\\ev_b1.rbp", gfx::Keying::kUnkeyed);
    Open(rig);
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(1)), kTitle));

    // Page 2 of tab 0: its first thumbnail is the tab's tenth (cell 9).
    Tap(rig, kPageButton);
    ASSERT_NE(rig.SpriteAt(128), nullptr);
    EXPECT_EQ(rig.SpriteAt(128)->Placement().sourceX, 96);
    EXPECT_EQ(rig.SpriteAt(128)->Placement().sourceY, 72);
    EXPECT_EQ(rig.SpriteAt(129), nullptr);
    Tap(rig, kPageButton);
    EXPECT_EQ(rig.SpriteAt(128)->Placement().sourceX, 0);
    EXPECT_NE(rig.SpriteAt(131), nullptr);

    // Tab 1 has one page: the page buttons do nothing there.
    Tap(rig, Tab(1));
    EXPECT_TRUE(Near(Centre(rig, Tab(1)), kHighlighted));
    EXPECT_EQ(rig.SpriteAt(129), nullptr);
    Tap(rig, kPageButton);
    ASSERT_NE(rig.SpriteAt(128), nullptr);
    EXPECT_EQ(rig.SpriteAt(128)->Placement().sourceX, 0);
    EXPECT_TRUE(Near(Centre(rig, Thumbnail(0)), kTitle));
}

}  // namespace
