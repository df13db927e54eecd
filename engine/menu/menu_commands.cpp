#include "engine/menu/menu_commands.h"

#include <initializer_list>

#include "engine/sound/music_controller.h"
#include "engine/sound/sound_mixer.h"
#include "platform/text_encoding.h"

namespace menu {

namespace {

std::string Sjis(const std::string& utf8) {
    std::string out;
    platform::Utf8ToSjis(utf8, &out);
    return out;
}

// A list of items whose entry k sets the setting to a value: 100 - 10 k for
// a percentage list, k for a choice list.
struct ValueList {
    uint32_t first;
    int count;
    int32_t core::Settings::*setting;
    bool percent;
    bool onlyWhenDifferent;
};

constexpr ValueList kLists[] = {
    {40055, 3, &core::Settings::messageSpeed, false, false},
    {40060, 7, &core::Settings::messageAuto, false, false},
    {40069, 10, &core::Settings::musicVolume, true, false},
    {40079, 10, &core::Settings::voiceVolume, true, false},
    {40109, 10, &core::Settings::seVolume, true, false},
    {40120, 5, &core::Settings::cursorMode, false, true},
    {40126, 10, &core::Settings::masterVolume, true, false},
    {40136, 4, &core::Settings::transMode, false, true},
    {40141, 5, &core::Settings::messageWindowTrans, false, true},
    {40147, 10, &core::Settings::movieVolume, true, false},
    {40160, 3, &core::Settings::dispFreeMode, false, true},
    {40163, 6, &core::Settings::centreKeyControl, false, true},
};

struct Toggle {
    uint32_t identifier;
    int32_t core::Settings::*setting;
};

constexpr Toggle kToggles[] = {
    {40049, &core::Settings::effectUse},
    {40059, &core::Settings::readSkip},
    {40097, &core::Settings::messageVoiceReplay},
    {40125, &core::Settings::messageShadow},
    {40140, &core::Settings::textCutMode},
    {40146, &core::Settings::lockSkip},
    {40157, &core::Settings::tilvaMode},
    {40158, &core::Settings::doubleClick},
    {40159, &core::Settings::backgroundNameDisplay},
};

// The play items: 0 no device (disabled), 1 off, 2 on.
constexpr Toggle kPlayItems[] = {
    {40067, &core::Settings::voicePlay},
    {40068, &core::Settings::pcm},
    {40108, &core::Settings::sePlay},
};

int32_t ListValue(const ValueList& list, int k) {
    return list.percent ? 100 - 10 * k : k;
}

// A popup holding one volume list ("100%" .. "10%") from first.
void AddPercentItems(MenuWidget& w, MenuLevel* level, uint32_t first) {
    for (int k = 0; k < 10; ++k) {
        w.AddItem(level, first + k, kItemCommand, std::to_string(100 - 10 * k) + "%");
    }
}

MenuLevel* AddPopup(MenuWidget& w, MenuLevel* parent, const char* label) {
    int index = w.AddItem(parent, 0, kItemPopup, Sjis(label));
    return w.AddLevel(parent, index);
}

void AddCommands(MenuWidget& w, MenuLevel* level,
                 std::initializer_list<std::pair<uint32_t, const char*>> items) {
    for (const auto& [identifier, label] : items) {
        if (identifier == 0) {
            w.AddItem(level, 0, kItemSeparator, "");
        } else {
            w.AddItem(level, identifier, kItemCommand, Sjis(label));
        }
    }
}

// A sound popup: its volume popup, a separator and, with play, the play item.
void AddSoundPopup(MenuWidget& w, MenuLevel* parent, const char* label, uint32_t firstVolume,
                   uint32_t play) {
    MenuLevel* level = AddPopup(w, parent, label);
    AddPercentItems(w, AddPopup(w, level, "音量"), firstVolume);
    if (play != 0) AddCommands(w, level, {{0, ""}, {play, "再生"}});
}

}  // namespace

void BuildMenuTree(MenuWidget& w) {
    MenuLevel* root = w.AddLevel(nullptr, 0);
    MenuLevel* load = AddPopup(w, root, "ﾛｰﾄﾞ");
    MenuLevel* save = AddPopup(w, root, "ｾｰﾌﾞ");
    AddCommands(w, root, {{0, ""}, {40049, "表示効果"}});
    MenuLevel* settings = AddPopup(w, root, "設定");
    MenuLevel* message = AddPopup(w, root, "ﾒｯｾｰｼﾞ");
    AddCommands(w, root, {{0, ""}, {kCommandTitle, "ﾀｲﾄﾙに戻る"}, {0, ""}, {kCommandExit, "終了"}});

    for (int i = 0; i < kSlotCount; ++i) {
        char number[4] = {char('0' + (i + 1) / 100), char('0' + (i + 1) / 10 % 10),
                          char('0' + (i + 1) % 10), 0};
        w.AddItem(load, kCommandFirstLoad + i, kItemCommand, std::string("LOAD_") + number);
        w.AddItem(save, kCommandFirstSave + i, kItemCommand, std::string("SAVE_") + number);
    }

    AddPercentItems(w, AddPopup(w, settings, "基準音量"), 40126);
    AddSoundPopup(w, settings, "ﾐｭｰｼﾞｯｸ", 40069, 40068);
    AddSoundPopup(w, settings, "音声", 40079, 40067);
    AddSoundPopup(w, settings, "効果音", 40109, 40108);
    AddSoundPopup(w, settings, "動画", 40147, 0);
    AddCommands(w, AddPopup(w, settings, "ｶｰｿﾙ中央"),
                {{40163, "無効"},
                 {40164, "ﾒﾆｭｰ表示"},
                 {40165, "ｳｨﾝﾄﾞｳ消去"},
                 {40166, "ﾃｷｽﾄ回想"},
                 {40167, "ｸｲｯｸｾｰﾌﾞ"},
                 {40168, "ｸｲｯｸﾛｰﾄﾞ"},
                 {0, ""},
                 {40158, "二度押し設定"}});
    AddCommands(w, AddPopup(w, settings, "ｶｰｿﾙ動作ﾓｰﾄﾞ"),
                {{40120, "通常"},
                 {40121, "基本抑制"},
                 {40122, "横優先"},
                 {40123, "縦優先"},
                 {40124, "完全抑制"}});
    AddCommands(
        w, AddPopup(w, settings, "ﾏﾅｰﾓｰﾄﾞ"),
        {{40160, "気にしないよ"}, {40161, "少しくらいなら……"}, {40162, "見ちゃダメお兄ちゃん！"}});
    AddCommands(w, settings, {{40157, "桜効果を許可"}, {40159, "場所表示"}});

    AddCommands(
        w, AddPopup(w, message, "ｱﾝﾁｴｲﾘｱｽ"),
        {{40136, "無効"}, {40137, "弱"}, {40138, "中"}, {40139, "強"}, {0, ""}, {40125, "影文字"}});
    AddCommands(w, AddPopup(w, message, "表示速度"),
                {{40055, "速い"}, {40056, "普通"}, {40057, "遅い"}});
    AddCommands(w, AddPopup(w, message, "自動送り"),
                {{40060, "無効"},
                 {40061, "0ms"},
                 {40062, "500ms"},
                 {40063, "1000ms"},
                 {40064, "1500ms"},
                 {40065, "2000ms"},
                 {40066, "2500ms"}});
    AddCommands(w, AddPopup(w, message, "ｳｨﾝﾄﾞｳ透過値"),
                {{40141, "ほとんど"},
                 {40142, "かなり"},
                 {40143, "それなり"},
                 {40144, "半分だけ"},
                 {40145, "ちょっと"}});
    AddCommands(w, AddPopup(w, message, "ｽｷｯﾌﾟ制御"), {{40059, "未読停止"}, {40146, "ｽｷｯﾌﾟﾛｯｸ"}});
    AddCommands(w, message, {{40097, "巻き戻し音声"}, {40140, "あらすじ機能"}});
}

void MenuCommands::UpdateAllMarks() {
    for (const ValueList& list : kLists) {
        for (int k = 0; k < list.count; ++k) {
            bool on = settings_.*list.setting == ListValue(list, k);
            widget_.SetChecked(nullptr, list.first + k, on ? kItemChecked : 0);
        }
    }
    for (const Toggle& toggle : kToggles) {
        widget_.SetChecked(nullptr, toggle.identifier, settings_.*toggle.setting != 0 ? 1 : 0);
    }
    for (const Toggle& play : kPlayItems) {
        int32_t value = settings_.*play.setting;
        widget_.SetEnabled(nullptr, play.identifier, value != 0 ? kItemEnabled : 0);
        widget_.SetChecked(nullptr, play.identifier, value >= 2 ? kItemChecked : 0);
    }
}

void MenuCommands::ApplyMusicVolume() {
    if (mixer_ != nullptr && mixer_->MusicStarted()) {
        mixer_->SetMusicVolume(settings_.masterVolume * settings_.musicVolume / 100);
    }
}

void MenuCommands::Dispatch(uint32_t id) {
    const auto call = [](const std::function<void()>& hook) {
        if (hook) hook();
    };
    if (id == kCommandExit) return call(hooks_.exit);
    if (id == kCommandTitle) return call(hooks_.returnToTitle);
    if (id >= kCommandFirstLoad && id < kCommandFirstLoad + kSlotCount) {
        if (hooks_.loadSlot) hooks_.loadSlot(static_cast<int>(id - kCommandFirstLoad));
        return;
    }
    if (id >= kCommandFirstSave && id < kCommandFirstSave + kSlotCount) {
        if (hooks_.saveSlot) hooks_.saveSlot(static_cast<int>(id - kCommandFirstSave), 0);
        return;
    }

    for (const Toggle& toggle : kToggles) {
        if (toggle.identifier != id) continue;
        int32_t& value = settings_.*toggle.setting;
        // The effects switch turns on from any value but 1.
        value = id == 40049 ? (value != 1 ? 1 : 0) : (value != 0 ? 0 : 1);
        widget_.SetChecked(nullptr, id, value != 0 ? kItemChecked : 0);
        if (id == 40157) call(hooks_.particlesChanged);
        if (id == 40159) call(hooks_.overlayChanged);
        return;
    }
    for (const Toggle& play : kPlayItems) {
        if (play.identifier != id) continue;
        int32_t& value = settings_.*play.setting;
        value = value == 1 ? 2 : 1;
        widget_.SetEnabled(nullptr, id, kItemEnabled);
        widget_.SetChecked(nullptr, id, value >= 2 ? kItemChecked : 0);
        if (id == 40068) music_.SetMode(mixer_, value);
        return;
    }
    for (const ValueList& list : kLists) {
        if (id < list.first || id >= list.first + static_cast<uint32_t>(list.count)) continue;
        const int k = static_cast<int>(id - list.first);
        int32_t& value = settings_.*list.setting;
        const int32_t wanted = ListValue(list, k);
        if (list.onlyWhenDifferent && value == wanted) {
            if (list.setting == &core::Settings::cursorMode) call(hooks_.clearCursorKeys);
            return;
        }
        value = wanted;
        for (int j = 0; j < list.count; ++j) {
            widget_.SetChecked(nullptr, list.first + j, j == k ? kItemChecked : 0);
        }
        if (list.setting == &core::Settings::musicVolume ||
            list.setting == &core::Settings::masterVolume) {
            ApplyMusicVolume();
        } else if (list.setting == &core::Settings::cursorMode) {
            call(hooks_.clearCursorKeys);
        } else if (list.setting == &core::Settings::transMode) {
            call(hooks_.redrawScreen);
        } else if (list.setting == &core::Settings::messageWindowTrans) {
            call(hooks_.redrawScreen);
            if (hooks_.messageWindowTrans) hooks_.messageWindowTrans(value);
        } else if (list.setting == &core::Settings::dispFreeMode) {
            call(hooks_.mannerModeChanged);
        }
        return;
    }
}

}  // namespace menu
