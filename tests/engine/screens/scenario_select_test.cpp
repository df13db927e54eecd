// The scenario select on the assembled game: entries locked or playable by
// the seen list, keys and taps choosing among them, the page buttons, and a
// replay whose end comes back to the same tab and page.

#include <gtest/gtest.h>

#include "engine/menu/engine_menu.h"
#include "gallery_rig.h"
#include "platform/gx.h"

namespace {

using gallery_test::GalleryRig;
using gallery_test::kCurrentTab;
using gallery_test::kHighlighted;
using gallery_test::kLocked;
using gallery_test::kTitle;
using gallery_test::Near;
using gallery_test::Rgb;

constexpr Rgb kBackground{40, 40, 90};
constexpr Rgb kCurtain{160, 0, 160};

// The design rectangles of the screen's items.
struct Box {
    int32_t x, y, width, height;
};
Box Entry(int i) {
    return {104 + (i / 5) * 344, 320 + (i % 5) * 40, 256, 32};
}
Box Tab(int t) {
    return {32 + 128 * (t < 3 ? t : t - 3), t < 3 ? 136 : 176, 120, 32};
}
constexpr Box kButtons[4] = {
    {32, 232, 48, 32}, {80, 232, 40, 32}, {120, 232, 40, 32}, {168, 232, 48, 32}};

Rgb Centre(GalleryRig& rig, const Box& box) {
    return rig.Centre(box.x, box.y, box.width, box.height);
}
void Tap(GalleryRig& rig, const Box& box) {
    rig.Tap(box.x, box.y, box.width, box.height);
}

// The page number shown (from 1), read from its number cell.
int PageShown(GalleryRig& rig) {
    const core::Sprite* digit = rig.SpriteAt(64);
    return digit ? digit->Placement().sourceX / 40 : -1;
}

GalleryRig& Opened(GalleryRig& rig) {
    rig.Enter(core::kStateScenarioSelect);
    EXPECT_TRUE(rig.RunUntil(core::kStateScenarioSelect, 2));
    return rig;
}

TEST(ScenarioSelect, CrossFadesInAndShowsSeenEntriesPlayableAndOthersLocked) {
    GalleryRig rig;
    rig.Enter(core::kStateScenarioSelect);
    // Half way through the cross-fade the old picture still shows through.
    rig.Frames(30);
    Rgb halfway = rig.Pixel(700, 60);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(halfway[c], (kCurtain[c] + kBackground[c]) / 2, 20) << c;
    }
    ASSERT_TRUE(rig.RunUntil(core::kStateScenarioSelect, 2));
    EXPECT_EQ(rig.SpriteAt(0), nullptr);
    EXPECT_EQ(rig.Engine().Brightness(), 256);
    EXPECT_TRUE(Near(rig.Pixel(700, 60), kBackground));

    // Seen: entries 0 and 4; never started: 1 and 7; no entry: the rest.
    EXPECT_TRUE(Near(Centre(rig, Entry(0)), kTitle));
    EXPECT_TRUE(Near(Centre(rig, Entry(4)), kTitle));
    EXPECT_TRUE(Near(Centre(rig, Entry(1)), kLocked));
    EXPECT_TRUE(Near(Centre(rig, Entry(7)), kLocked));
    EXPECT_TRUE(Near(Centre(rig, Entry(2)), kBackground));
    // Date cells by the code's place in the date list: 401 first, 403 third.
    EXPECT_TRUE(Near(rig.Centre(Entry(0).x - 64, Entry(0).y, 56, 24), {0, 90, 250}));
    EXPECT_TRUE(Near(rig.Centre(Entry(4).x - 64, Entry(4).y, 56, 24), {0, 106, 230}));
    EXPECT_TRUE(Near(Centre(rig, Tab(0)), kCurrentTab));
    EXPECT_EQ(PageShown(rig), 1);
    ASSERT_NE(rig.SpriteAt(65), nullptr);
    EXPECT_EQ(rig.SpriteAt(65)->Placement().sourceX, 80);  // two pages
    EXPECT_EQ(rig.Engine().music->Name(), "15.mp3");
    EXPECT_TRUE(rig.Engine().music->Playing());
    EXPECT_EQ(golden::Compare(rig.Screen(), "scenario-select"), "");
}

// Up and Down pass over locked and empty entries; a tap picks only what
// can be played, and a tab is taken at once.
TEST(ScenarioSelect, KeysAndTapsChooseOnlyPlayableEntries) {
    GalleryRig rig;
    Opened(rig);
    rig.Press(platform::kVkUp);  // from none to the last playable entry
    EXPECT_TRUE(Near(Centre(rig, Entry(4)), kHighlighted));
    EXPECT_EQ(golden::Compare(rig.Screen(), "scenario-select-highlight"), "");
    rig.Press(platform::kVkUp);
    EXPECT_TRUE(Near(Centre(rig, Entry(0)), kHighlighted));
    EXPECT_TRUE(Near(Centre(rig, Entry(4)), kTitle));
    rig.Press(platform::kVkUp);
    EXPECT_TRUE(Near(Centre(rig, Tab(6)), kHighlighted));
    rig.Press(platform::kVkDown);
    rig.Press(platform::kVkDown);
    EXPECT_TRUE(Near(Centre(rig, Entry(4)), kHighlighted));
    EXPECT_TRUE(Near(Centre(rig, Entry(1)), kLocked));

    // A locked entry is not chosen: the tap selects nothing.
    Tap(rig, Entry(1));
    EXPECT_TRUE(Near(Centre(rig, Entry(4)), kTitle));
    EXPECT_TRUE(Near(Centre(rig, Entry(1)), kLocked));
    EXPECT_EQ(rig.Engine().flow.subState, 2);

    Tap(rig, Tab(1));
    EXPECT_TRUE(Near(Centre(rig, Tab(0)), {40, 60, 160}));
    EXPECT_TRUE(Near(Centre(rig, Tab(1)), kHighlighted));
    EXPECT_EQ(rig.SpriteAt(65)->Placement().sourceX, 120);  // three pages
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(Near(Centre(rig, Entry(i)), kBackground)) << i;
}

// The page buttons wrap at both ends; five forward from a short tab's first
// pages passes its last page (and shows no entries), from where the next
// page is the first again.
TEST(ScenarioSelect, PageButtonsWrapAndFiveForwardMayPassTheLastPage) {
    GalleryRig rig;
    Opened(rig);
    struct Step {
        int button;
        int page;  // shown, from 1
    };
    const Step steps[] = {{2, 2}, {2, 1}, {1, 2}, {1, 1}, {0, 2},
                          {0, 1}, {3, 6}, {2, 1}, {2, 2}, {3, 1}};
    for (const Step& step : steps) {
        Tap(rig, kButtons[step.button]);
        EXPECT_EQ(PageShown(rig), step.page) << "button " << step.button;
        EXPECT_TRUE(Near(Centre(rig, kButtons[step.button]), kHighlighted));
    }
    // The second page's entry 2 is entry 12 of the tab.
    Tap(rig, kButtons[2]);
    EXPECT_TRUE(Near(Centre(rig, Entry(2)), kTitle));
    // Keys reach the buttons too: Down from the button to the next one, C.
    rig.Press(platform::kVkDown);
    rig.Press(platform::kVkC);
    EXPECT_EQ(PageShown(rig), 1);  // five forward from the last page
}

// The replay runs the first story's scenario with its end leading back here,
// to the tab and page it was chosen from; a second replay starts afresh.
TEST(ScenarioSelect, ReplayEndsBackOnTheSameTabAndPage) {
    GalleryRig rig;
    Opened(rig);
    Tap(rig, Tab(1));
    Tap(rig, kButtons[2]);
    ASSERT_EQ(PageShown(rig), 2);
    Tap(rig, Entry(1));  // entry 11: sora01
    EXPECT_EQ(rig.Engine().flow.subState, 20);
    rig.Frames(47);  // 750 ms into the 1500 ms fade
    EXPECT_NEAR(rig.Engine().Brightness(), 128, 8);
    ASSERT_TRUE(rig.RunUntil(core::kStateScript, 0, 100));

    script::Interpreter& story = rig.Story();
    EXPECT_EQ(rig.Engine().flow.scriptDialect, 0);
    EXPECT_TRUE(story.state.fromScenarioSelect);
    EXPECT_EQ(story.state.scenarioPath, "GameData\\sinario\\sora01.MES");
    EXPECT_EQ(rig.Engine().Brightness(), 256);
    // A replay is not saved: the menu's save list stays closed.
    EXPECT_FALSE(rig.Game().Menu().Widget().Root()->items[1].Enabled());
    rig.Frames(60);                                          // past the background's fade
    EXPECT_TRUE(Near(rig.Pixel(400, 100), {60, 120, 220}));  // the replay's background
    ASSERT_NE(story.Window(), nullptr);

    // C completes the page and passes its wait; the scenario then ends.
    for (int press = 0; press < 5 && rig.Engine().flow.gameState == core::kStateScript; ++press) {
        rig.Press(platform::kVkC);
        rig.Frames(10);
    }
    ASSERT_TRUE(rig.RunUntil(core::kStateScenarioSelect, 2));
    EXPECT_EQ(story.Window(), nullptr);
    EXPECT_TRUE(Near(Centre(rig, Tab(1)), kCurrentTab));
    EXPECT_EQ(PageShown(rig), 2);
    EXPECT_TRUE(Near(Centre(rig, Entry(1)), kTitle));
    EXPECT_EQ(rig.Engine().music->Name(), "15.mp3");

    // The same scenario again draws its pictures again.
    Tap(rig, Entry(1));
    ASSERT_TRUE(rig.RunUntil(core::kStateScript, 0, 100));
    rig.Frames(60);
    EXPECT_TRUE(Near(rig.Pixel(400, 100), {60, 120, 220}));
}

}  // namespace
