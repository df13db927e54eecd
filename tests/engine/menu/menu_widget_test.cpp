#include "engine/menu/menu_widget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/menu/menu_commands.h"
#include "engine_test_support.h"

namespace menu {
namespace {

using engine_test::Sjis;

// A small tree: root = [disabled command 1, popup A, separator, command 2,
// popup B (empty)]; A = [command 10, separator, command 11].
struct SmallMenu {
    std::vector<uint32_t> sent;
    MenuWidget widget{[this](uint32_t id) { sent.push_back(id); }};
    MenuLevel* root = nullptr;
    MenuLevel* a = nullptr;

    SmallMenu() {
        root = widget.AddLevel(nullptr, 0);
        widget.AddItem(root, 1, kItemCommand, "one");
        a = widget.AddLevel(root, widget.AddItem(root, 0, kItemPopup, "A"));
        widget.AddItem(root, 0, kItemSeparator, "");
        widget.AddItem(root, 2, kItemCommand, "two");
        widget.AddLevel(root, widget.AddItem(root, 0, kItemPopup, "B"));
        widget.AddItem(a, 10, kItemCommand, "ten");
        widget.AddItem(a, 0, kItemSeparator, "");
        widget.AddItem(a, 11, kItemCommand, "eleven");
        widget.SetEnabled(root, 1, 0);
    }
};

enum Key { kUp, kDown, kLeft, kRight, kAction, kCancel, kMenu };

void Press(core::InputState& in, Key key) {
    int32_t* counters[] = {&in.up, &in.down, &in.left, &in.right, &in.keyC, &in.keyA, &in.keyB};
    *counters[key] = 1;
}

struct KeyCase {
    const char* name;
    std::vector<Key> keys;
    bool open;
    int depth;
    int selected;
    std::vector<uint32_t> sent;
};

TEST(MenuWidget, KeysNavigateTheTree) {
    const KeyCase cases[] = {
        {"down skips the disabled first item", {kDown}, true, 0, 1, {}},
        {"up with no selection takes the last", {kUp}, true, 0, 4, {}},
        {"down wraps over the separator", {kDown, kDown, kDown, kDown}, true, 0, 1, {}},
        {"up from the first selectable wraps", {kDown, kUp}, true, 0, 4, {}},
        {"left at the root closes", {kLeft}, false, 0, -1, {}},
        {"cancel at the root closes", {kCancel}, false, 0, -1, {}},
        {"menu key closes", {kDown, kMenu}, false, 0, 1, {}},
        {"right enters a popup", {kDown, kRight}, true, 1, -1, {}},
        {"left comes back to the popup", {kDown, kRight, kDown, kLeft}, true, 0, 1, {}},
        {"right on a command sends it", {kDown, kRight, kDown, kDown, kRight}, false, 1, 2, {11}},
        {"action sends a command", {kDown, kDown, kAction}, false, 0, 3, {2}},
        {"action on a popup closes without sending", {kDown, kAction}, false, 0, 1, {}},
        {"action with no selection stays", {kAction}, true, 0, -1, {}},
        {"an empty level ignores up and down", {kUp, kRight, kDown, kUp}, true, 1, -1, {}},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        SmallMenu m;
        m.widget.Open();
        for (Key key : c.keys) {
            core::InputState in;
            Press(in, key);
            const bool open = m.widget.HandleInput(in);
            EXPECT_EQ(open, m.widget.IsOpen());
            EXPECT_EQ(in.up + in.down + in.left + in.right + in.keyA + in.keyB + in.keyC, 0);
        }
        EXPECT_EQ(m.widget.IsOpen(), c.open);
        EXPECT_EQ(m.widget.Depth(), c.depth);
        EXPECT_EQ(m.widget.Selected(), c.selected);
        EXPECT_EQ(m.sent, c.sent);
    }
}

struct Touch {
    int32_t x, y;
    bool up;
};

struct StylusCase {
    const char* name;
    std::vector<Key> keys;  // before the stylus
    std::vector<Touch> touches;
    bool open;
    int depth;
    int selected;
    std::vector<uint32_t> sent;
};

TEST(MenuWidget, StylusHitsItemsHeaderBoxAndOutside) {
    // Items start at y = 34 and are 13 high; at the root the box is as wide
    // as its path, 6 x 6 + 12 = 48, and 13 x 5 + 40 = 105 high.
    const StylusCase cases[] = {
        {"touching a command highlights it", {}, {{20, 34 + 13 * 3, false}}, true, 0, 3, {}},
        {"lifting on a command sends it", {}, {{20, 34 + 13 * 3, true}}, false, 0, 3, {2}},
        {"lifting on a popup enters it", {}, {{20, 34 + 13, true}}, true, 1, -1, {}},
        {"a disabled item clears the selection", {kDown}, {{20, 34, false}}, true, 0, -1, {}},
        {"a separator clears the selection", {kDown}, {{20, 34 + 26, true}}, true, 0, -1, {}},
        {"the box margin clears without closing", {kDown}, {{5, 40, true}}, true, 0, -1, {}},
        {"a header tap at the root closes", {}, {{20, 10, true}}, false, 0, -1, {}},
        {"a header tap at depth 1 goes back", {kDown, kRight}, {{20, 10, true}}, true, 0, 1, {}},
        {"touching outside only clears", {kDown}, {{200, 40, false}}, true, 0, -1, {}},
        {"lifting outside closes", {}, {{20, 200, true}}, false, 0, -1, {}},
    };
    for (const StylusCase& c : cases) {
        SCOPED_TRACE(c.name);
        SmallMenu m;
        m.widget.Open();
        for (Key key : c.keys) {
            core::InputState in;
            Press(in, key);
            m.widget.HandleInput(in);
        }
        for (const Touch& t : c.touches) {
            core::InputState in;
            in.stylusX = t.x;
            in.stylusY = t.y;
            (t.up ? in.released : in.tap) = true;
            m.widget.HandleInput(in);
        }
        EXPECT_EQ(m.widget.IsOpen(), c.open);
        EXPECT_EQ(m.widget.Depth(), c.depth);
        EXPECT_EQ(m.widget.Selected(), c.selected);
        EXPECT_EQ(m.sent, c.sent);
    }
}

TEST(MenuWidget, HeaderTapAtDepthTwoGoesBackOneLevel) {
    std::vector<uint32_t> sent;
    MenuWidget widget([&sent](uint32_t id) { sent.push_back(id); });
    BuildMenuTree(widget);
    widget.Open();
    core::InputState in;
    // Root index 4 is the settings popup; its index 1 the music popup.
    for (Key key : {kDown, kDown, kDown, kDown, kRight, kDown, kDown, kRight}) {
        in = {};
        Press(in, key);
        widget.HandleInput(in);
    }
    ASSERT_EQ(widget.Depth(), 2);
    EXPECT_EQ(widget.Path(), Sjis("[ﾄｯﾌﾟ]->[設定]->[ﾐｭｰｼﾞｯｸ]"));
    in = {};
    in.stylusX = 20;
    in.stylusY = 20;
    in.released = true;
    EXPECT_TRUE(widget.HandleInput(in));
    EXPECT_EQ(widget.Depth(), 1);
    EXPECT_EQ(widget.Selected(), 1);
    EXPECT_EQ(widget.Path(), Sjis("[ﾄｯﾌﾟ]->[設定]"));
    EXPECT_TRUE(sent.empty());
}

TEST(MenuWidget, LevelsHoldTwentyItemsAndAddressingFindsThem) {
    MenuWidget widget(nullptr);
    EXPECT_EQ(widget.AddItem(nullptr, 1, kItemCommand, "x"), -1);
    MenuLevel* root = widget.AddLevel(nullptr, 0);
    MenuLevel* sub = widget.AddLevel(root, widget.AddItem(root, 0, kItemPopup, "p"));
    for (int i = 1; i < kMaxItems; ++i) {
        EXPECT_EQ(widget.AddItem(root, 100 + i, kItemCommand, "r"), i);
    }
    EXPECT_EQ(widget.AddItem(root, 999, kItemCommand, "full"), 0);
    EXPECT_EQ(root->items.size(), static_cast<size_t>(kMaxItems));
    widget.AddItem(sub, 105, kItemCommand, "deeper duplicate");
    widget.AddItem(sub, 7, kItemCommand, "seven");

    MenuLevel* level = nullptr;
    int index = -1;
    ASSERT_TRUE(widget.FindItem(7, &level, &index));
    EXPECT_EQ(level, sub);
    EXPECT_EQ(index, 1);
    // Depth first: the popup at index 0 is searched before root item 5.
    ASSERT_TRUE(widget.FindItem(105, &level, &index));
    EXPECT_EQ(level, sub);
    EXPECT_FALSE(widget.FindItem(999, &level, &index));

    widget.SetChecked(nullptr, 7, kItemChecked);
    EXPECT_TRUE(sub->items[1].Checked());
    widget.SetChecked(nullptr, 3, kByIndex | kItemChecked);
    EXPECT_TRUE(root->items[3].Checked());
    EXPECT_TRUE(root->items[3].Enabled());
    widget.SetEnabled(sub, 1, kByIndex);
    EXPECT_FALSE(sub->items[1].Enabled());
    EXPECT_TRUE(sub->items[1].Checked());
    widget.SetLabel(nullptr, 7, "renamed");
    EXPECT_EQ(sub->items[1].label, "renamed");
}

TEST(MenuWidget, SlotMenusFollowSavingAndOpenAtEntersTheLoadList) {
    MenuWidget widget(nullptr);
    BuildMenuTree(widget);
    MenuLevel* root = widget.Root();
    widget.EnableSlotMenus(false);
    EXPECT_TRUE(root->items[0].Enabled());
    EXPECT_FALSE(root->items[1].Enabled());
    widget.EnableSlotMenus(true);
    EXPECT_TRUE(root->items[1].Enabled());

    widget.OpenAt(0);
    EXPECT_TRUE(widget.IsOpen());
    EXPECT_EQ(widget.Depth(), 1);
    EXPECT_EQ(widget.Current(), root->items[0].submenu);
    EXPECT_EQ(widget.Path(), Sjis("[ﾄｯﾌﾟ]->[ﾛｰﾄﾞ]"));
    // The path is wider than the load labels (6 x 8 + 24).
    EXPECT_EQ(widget.Width(), 6 * static_cast<int>(widget.Path().size()) + 12);
    EXPECT_EQ(widget.Height(), 13 * 15 + 40);
}

}  // namespace
}  // namespace menu
