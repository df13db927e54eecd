// The music gallery on the assembled game: the two pages of tracks, a
// chosen track playing (and not restarted when chosen again), and the way
// back to the title from each of the three screens.

#include <gtest/gtest.h>

#include "engine/sound/music_controller.h"
#include "gallery_rig.h"
#include "platform/gx.h"

namespace {

using gallery_test::GalleryRig;
using gallery_test::kHighlighted;
using gallery_test::kTitle;
using gallery_test::Near;

struct Box {
    int32_t x, y, width, height;
};
Box Track(int k) {
    return {k < 10 ? 96 : 464, k < 10 ? 176 + 40 * k : 376 + 40 * (k - 10), 256, 32};
}
constexpr Box kPageButton{600, 184, 40, 32};
constexpr Box kLabel{552, 232, 160, 32};

void Tap(GalleryRig& rig, const Box& box) {
    rig.Tap(box.x, box.y, box.width, box.height);
}

TEST(MusicGallery, ChosenTrackPlaysAndThePagesListTheirTracks) {
    GalleryRig rig;
    rig.Enter(core::kStateMusicGallery);
    ASSERT_TRUE(rig.RunUntil(core::kStateMusicGallery, 2));
    sound::MusicController& music = *rig.Engine().music;
    EXPECT_FALSE(music.Playing());
    EXPECT_NE(rig.SpriteAt(129 + 2 * 14), nullptr);  // fifteen tracks

    // Track 3 lies in a folder; its file part plays.
    Tap(rig, Track(2));
    EXPECT_TRUE(music.Playing());
    EXPECT_EQ(music.Name(), "bgm03.mp3");
    EXPECT_TRUE(Near(rig.Centre(Track(2).x, Track(2).y, 256, 32), kHighlighted));
    EXPECT_EQ(golden::Compare(rig.Screen(), "music-gallery"), "");
    rig.Frames(40);
    Tap(rig, Track(2));
    EXPECT_GE(music.PacedPositionMs(), 600);  // still the first start
    // A track without a name, and the label, play nothing.
    rig.Press(platform::kVkUp);
    rig.Press(platform::kVkC);
    Tap(rig, kLabel);
    EXPECT_TRUE(Near(rig.Centre(kLabel.x, kLabel.y, kLabel.width, kLabel.height), kHighlighted));
    EXPECT_EQ(music.Name(), "bgm03.mp3");
    EXPECT_GE(music.PacedPositionMs(), 600);

    Tap(rig, kPageButton);
    EXPECT_NE(rig.SpriteAt(129 + 2 * 11), nullptr);  // twelve tracks
    EXPECT_EQ(rig.SpriteAt(129 + 2 * 12), nullptr);
    EXPECT_TRUE(
        Near(rig.Centre(kPageButton.x, kPageButton.y, 40, 32), gallery_test::kNormalButton));
    // The second page's first track is the sixteenth.
    ASSERT_NE(rig.SpriteAt(128), nullptr);
    EXPECT_EQ(rig.SpriteAt(128)->Placement().sourceX, 40 * 16);
    rig.Press(platform::kVkDown);
    rig.Press(platform::kVkDown);
    rig.Press(platform::kVkDown);
    rig.Press(platform::kVkDown);
    rig.Press(platform::kVkDown);  // past the buttons to the first track
    EXPECT_TRUE(Near(rig.Centre(Track(0).x, Track(0).y, 256, 32), kHighlighted));
    rig.Press(platform::kVkC);
    EXPECT_EQ(music.Name(), "bgm16.mp3");
    EXPECT_TRUE(Near(rig.Centre(Track(1).x, Track(1).y, 256, 32), kTitle));
}

// Each screen leaves for the title by fading out over 1500 ms, with its
// music fading, and leaves nothing on screen.
TEST(GalleryScreens, LeaveFadesToTheTitle) {
    struct Case {
        int32_t state;
        Box leave;
    };
    const Case cases[] = {{core::kStateScenarioSelect, {608, 264, 120, 32}},
                          {core::kStateCgGallery, {624, 488, 120, 32}},
                          {core::kStateMusicGallery, {592, 280, 120, 32}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        GalleryRig rig;
        rig.Enter(c.state);
        ASSERT_TRUE(rig.RunUntil(c.state, 2));
        if (c.state == core::kStateMusicGallery) Tap(rig, Track(0));
        ASSERT_TRUE(rig.Engine().music->Playing());
        Tap(rig, c.leave);
        EXPECT_EQ(rig.Engine().flow.subState, 10);
        EXPECT_FALSE(rig.Engine().music->Playing());  // fading out
        rig.Frames(47);
        EXPECT_NEAR(rig.Engine().Brightness(), 128, 8);
        EXPECT_EQ(rig.Engine().flow.gameState, c.state);
        ASSERT_TRUE(rig.RunUntil(core::kStateTitle, 0, 60));
        int sprites = 0;
        for (const auto& sprite : rig.Engine().sprites) sprites += sprite ? 1 : 0;
        EXPECT_EQ(sprites, 0);
        EXPECT_EQ(rig.Engine().Brightness(), 0);
    }
}

}  // namespace
