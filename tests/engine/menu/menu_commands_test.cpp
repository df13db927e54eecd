#include "engine/menu/menu_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sound/music_controller.h"
#include "engine/sound/sound_test_fixture.h"
#include "engine_test_support.h"

namespace menu {
namespace {

using engine_test::Sjis;

struct Fixture {
    MenuWidget widget{nullptr};
    core::Settings settings;
    sound::MusicController music{[] { return 0u; }};
    std::vector<std::string> calls;
    MenuCommands commands{widget, settings, music, nullptr, Hooks()};

    Fixture() {
        BuildMenuTree(widget);
        commands.UpdateAllMarks();
    }

    MenuHooks Hooks() {
        MenuHooks h;
        h.exit = [this] { calls.push_back("exit"); };
        h.returnToTitle = [this] { calls.push_back("title"); };
        h.loadSlot = [this](int slot) { calls.push_back("load " + std::to_string(slot)); };
        h.saveSlot = [this](int slot, int kind) {
            calls.push_back("save " + std::to_string(slot) + "," + std::to_string(kind));
        };
        h.clearCursorKeys = [this] { calls.push_back("cursor"); };
        h.redrawScreen = [this] { calls.push_back("redraw"); };
        h.messageWindowTrans = [this](int level) {
            calls.push_back("window " + std::to_string(level));
        };
        h.particlesChanged = [this] { calls.push_back("particles"); };
        h.overlayChanged = [this] { calls.push_back("overlay"); };
        h.mannerModeChanged = [this] { calls.push_back("manner"); };
        return h;
    }

    const MenuItem& Item(uint32_t id) {
        MenuLevel* level = nullptr;
        int index = -1;
        EXPECT_TRUE(widget.FindItem(id, &level, &index)) << id;
        static const MenuItem kNone;
        return level ? level->items[index] : kNone;
    }
    std::vector<uint32_t> CheckedIn(uint32_t first, uint32_t last) {
        std::vector<uint32_t> out;
        for (uint32_t id = first; id <= last; ++id) {
            if (Item(id).Checked()) out.push_back(id);
        }
        return out;
    }
};

TEST(MenuCommands, TreeHasEveryLabelAndIdentifier) {
    Fixture f;
    const struct {
        uint32_t id;
        const char* label;
    } items[] = {
        {40007, "終了"},
        {40008, "ﾀｲﾄﾙに戻る"},
        {40017, "LOAD_001"},
        {40031, "LOAD_015"},
        {40032, "SAVE_001"},
        {40046, "SAVE_015"},
        {40049, "表示効果"},
        {40126, "100%"},
        {40135, "10%"},
        {40068, "再生"},
        {40067, "再生"},
        {40108, "再生"},
        {40156, "10%"},
        {40158, "二度押し設定"},
        {40168, "ｸｲｯｸﾛｰﾄﾞ"},
        {40124, "完全抑制"},
        {40161, "少しくらいなら……"},
        {40162, "見ちゃダメお兄ちゃん！"},
        {40157, "桜効果を許可"},
        {40159, "場所表示"},
        {40125, "影文字"},
        {40057, "遅い"},
        {40066, "2500ms"},
        {40145, "ちょっと"},
        {40146, "ｽｷｯﾌﾟﾛｯｸ"},
        {40140, "あらすじ機能"},
    };
    for (const auto& item : items) {
        EXPECT_EQ(f.Item(item.id).label, Sjis(item.label)) << item.id;
    }
    MenuLevel* root = f.widget.Root();
    const char* rootLabels[] = {"ﾛｰﾄﾞ",   "ｾｰﾌﾞ", "",           "表示効果", "設定",
                                "ﾒｯｾｰｼﾞ", "",     "ﾀｲﾄﾙに戻る", "",         "終了"};
    ASSERT_EQ(root->items.size(), 10u);
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(root->items[i].label, Sjis(rootLabels[i])) << i;
    EXPECT_EQ(root->items[4].submenu->items.size(), 10u);
    EXPECT_EQ(root->items[5].submenu->items.size(), 7u);
}

struct DispatchCase {
    const char* name;
    std::vector<uint32_t> ids;
    int32_t core::Settings::*setting;
    int32_t before;
    int32_t after;
    std::vector<std::string> calls;
    uint32_t firstMark, lastMark;  // the list whose check marks are compared
    std::vector<uint32_t> checked;
};

TEST(MenuCommands, DispatchSetsSettingsMarksAndHooks) {
    using S = core::Settings;
    const DispatchCase cases[] = {
        {"master volume", {40128}, &S::masterVolume, 100, 80, {}, 40126, 40135, {40128}},
        {"music volume", {40073}, &S::musicVolume, 100, 60, {}, 40069, 40078, {40073}},
        {"movie volume", {40156}, &S::movieVolume, 100, 10, {}, 40147, 40156, {40156}},
        {"message speed", {40057}, &S::messageSpeed, 1, 2, {}, 40055, 40057, {40057}},
        {"auto advance", {40066, 40060}, &S::messageAuto, 0, 0, {}, 40060, 40066, {40060}},
        {"cursor mode", {40122}, &S::cursorMode, 0, 2, {"cursor"}, 40120, 40124, {40122}},
        {"same cursor mode", {40120}, &S::cursorMode, 0, 0, {"cursor"}, 40120, 40124, {40120}},
        {"text look", {40139}, &S::transMode, 0, 3, {"redraw"}, 40136, 40139, {40139}},
        {"same text look", {40136}, &S::transMode, 0, 0, {}, 40136, 40139, {40136}},
        {"window level",
         {40145},
         &S::messageWindowTrans,
         2,
         4,
         {"redraw", "window 4"},
         40141,
         40145,
         {40145}},
        {"same window level", {40143}, &S::messageWindowTrans, 2, 2, {}, 40141, 40145, {40143}},
        {"manner mode", {40162}, &S::dispFreeMode, 0, 2, {"manner"}, 40160, 40162, {40162}},
        {"centre key", {40167}, &S::centreKeyControl, 1, 4, {}, 40163, 40168, {40167}},
        {"effects off", {40049}, &S::effectUse, 1, 0, {}, 40049, 40049, {}},
        {"effects on twice", {40049, 40049}, &S::effectUse, 1, 1, {}, 40049, 40049, {40049}},
        {"skip lock", {40146}, &S::lockSkip, 0, 1, {}, 40146, 40146, {40146}},
        {"particles", {40157}, &S::tilvaMode, 1, 0, {"particles"}, 40157, 40157, {}},
        {"place names", {40159}, &S::backgroundNameDisplay, 1, 0, {"overlay"}, 40159, 40159, {}},
        {"voice play on", {40067}, &S::voicePlay, 1, 2, {}, 40067, 40067, {40067}},
        {"voice play off", {40067, 40067}, &S::voicePlay, 1, 1, {}, 40067, 40067, {}},
        {"unknown", {40050, 40169, 40047}, &S::masterVolume, 100, 100, {}, 40126, 40135, {40126}},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        EXPECT_EQ(f.settings.*c.setting, c.before);
        for (uint32_t id : c.ids) f.commands.Dispatch(id);
        EXPECT_EQ(f.settings.*c.setting, c.after);
        EXPECT_EQ(f.calls, c.calls);
        EXPECT_EQ(f.CheckedIn(c.firstMark, c.lastMark), c.checked);
    }
}

TEST(MenuCommands, SlotsTitleAndExitGoToTheHooks) {
    Fixture f;
    for (uint32_t id : {40017u, 40031u, 40032u, 40046u, 40008u, 40007u}) f.commands.Dispatch(id);
    EXPECT_EQ(f.calls, (std::vector<std::string>{"load 0", "load 14", "save 0,0", "save 14,0",
                                                 "title", "exit"}));
}

TEST(MenuCommands, PlayItemsFollowTheirSetting) {
    const struct {
        int32_t value;
        bool enabled, checked;
    } cases[] = {{0, false, false}, {1, true, false}, {2, true, true}, {3, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Fixture f;
        f.settings.pcm = f.settings.voicePlay = f.settings.sePlay = c.value;
        f.commands.UpdateAllMarks();
        for (uint32_t id : {40067u, 40068u, 40108u}) {
            EXPECT_EQ(f.Item(id).Enabled(), c.enabled) << id;
            EXPECT_EQ(f.Item(id).Checked(), c.checked) << id;
        }
    }
    // The music switch hands its new mode to the music controller.
    Fixture f;
    f.settings.pcm = 1;
    f.commands.Dispatch(40068);
    EXPECT_EQ(f.settings.pcm, 2);
    EXPECT_EQ(f.music.Mode(), 2);
    f.commands.Dispatch(40068);
    EXPECT_EQ(f.music.Mode(), 1);
}

TEST(MenuCommands, PercentListWithNoMatchingEntryChecksNone) {
    Fixture f;
    f.settings.musicVolume = 55;
    f.commands.UpdateAllMarks();
    EXPECT_TRUE(f.CheckedIn(40069, 40078).empty());
    EXPECT_EQ(f.CheckedIn(40126, 40135), std::vector<uint32_t>{40126});
}

class MenuMusicVolume : public sound_test::MixerFixture {};

// The playing music takes the music volume scaled by the master volume at
// once, whichever of the two changes.
TEST_F(MenuMusicVolume, MusicAndMasterVolumeScaleThePlayingMusic) {
    std::unique_ptr<sound::SoundMixer> mixer = MakeMixer();
    WriteFile("bgm.wav", sound_test::MakeWav(2, 22050, 16, std::vector<int16_t>(200000, 1000)));
    core::Settings settings;
    sound::MusicController music{[this] { return tick_; }};
    music.SetMode(mixer.get(), sound::kMusicOn);
    MenuWidget widget{nullptr};
    BuildMenuTree(widget);
    MenuCommands commands{widget, settings, music, mixer.get(), {}};
    music.Play("bgm.wav", Folder(), 100, 0, 1);
    auto level = [&] {
        for (int pass = 0; pass < 3; ++pass) device_.Complete();
        return device_.Complete()[0];
    };
    ASSERT_EQ(level(), 1000);
    commands.Dispatch(40069 + 2);  // music 80
    EXPECT_EQ(level(), 800);
    commands.Dispatch(40126 + 5);  // master 50
    EXPECT_EQ(settings.musicVolume, 80);
    EXPECT_EQ(settings.masterVolume, 50);
    EXPECT_EQ(level(), 400);
}

}  // namespace
}  // namespace menu
