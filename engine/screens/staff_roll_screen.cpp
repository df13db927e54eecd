#include "engine/screens/staff_roll_screen.h"

#include <algorithm>
#include <cstdio>

#include "engine/screens/screen_support.h"
#include "engine/script/interpreter.h"
#include "engine/sound/music_controller.h"

namespace screens {

namespace {

constexpr int kMainStory = 0;
constexpr int kFirstPicture = 10;
constexpr int kPictureCount = 6;
constexpr int32_t kLayer = 32;
// The roll's length in hundredths of a second of the music, and how far the
// stack's top travels over it in screen pixels.
constexpr int64_t kRollCs = 22000;
constexpr int64_t kTravelPerRoll = 16800;
constexpr int64_t kTravelScale = 220000;
constexpr int32_t kScreenHeight = 240;

enum : int32_t { kSubStart = 0, kSubScroll = 1, kSubEnding = 2 };

// A screen row as a design y that comes back to the same row.
int32_t ScreenToDesignY(int64_t screenY) {
    const int64_t scaled = screenY * 5;  // 600 / 240 = 5 / 2
    return static_cast<int32_t>(scaled >= 0 ? (scaled + 1) / 2 : (scaled - 1) / 2);
}

}  // namespace

StaffRollScreen::StaffRollScreen(const core::EngineServices& services, script::Interpreter& story,
                                 const ScreenHooks& hooks)
    : services_(services), story_(story), hooks_(hooks) {}

void StaffRollScreen::RunState() {
    if (services_.input.Confirmed()) {
        ClearConfirm(services_.input);
        services_.sound.Music().Stop();
        ClearPictures(services_);
        story_.state.shownPaths = {};
        StartEnding();
        return;
    }
    switch (services_.flow.subState) {
        case kSubStart:
            Start();
            break;
        case kSubScroll:
            Scroll();
            break;
        case kSubEnding:
            StartEnding();
            break;
        default:
            break;
    }
}

void StaffRollScreen::Start() {
    story_.RemoveMessageWindow();
    services_.sound.Music().Stop();
    ClearPictures(services_);
    // The ending scenario loads its pictures anew, even the last ones shown.
    story_.state.shownPaths = {};
    for (int i = 0; i < kPictureCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "GameData\\char\\staff\\staff%02d.rbp", i + 1);
        const int slot = kFirstPicture + i;
        services_.slots.LoadImageSlot(slot, kMainStory, name, gfx::Keying::kUnkeyed);
        services_.slots.CreateSprite(slot, slot, 0, 0, -1, -1, 0, 600 * (i + 1), 0, 0, kLayer);
    }
    PlayScreenMusic(services_, "26.mp3", MusicRepeat::kOnce);
    services_.flow.subState = kSubScroll;
}

void StaffRollScreen::Scroll() {
    const int64_t position = std::max(services_.sound.Music().PacedPositionMs(), 0) / 10;
    if (position >= kRollCs) {
        for (int i = 0; i < kPictureCount; ++i) RemovePicture(services_, kFirstPicture + i);
        services_.composition.MarkScreenDirty();
        services_.flow.subState = kSubEnding;
        return;
    }
    const int64_t top = kScreenHeight - position * kTravelPerRoll / kTravelScale;
    for (int i = 0; i < kPictureCount; ++i) {
        if (core::Sprite* picture = services_.slots.SpriteAt(kFirstPicture + i))
            picture->SetPosition(0, ScreenToDesignY(top + int64_t{kScreenHeight} * i));
    }
}

void StaffRollScreen::StartEnding() {
    services_.sound.Music().Stop();
    const int32_t route = story_.vars.variables[script::kRouteVariable];
    const auto& endings = story_.tables.routeEndings;
    // Routes 1..7 each have an ending scenario; any other route, or one the
    // table leaves out, goes back to the title.
    if (route < 1 || route > 7 || static_cast<size_t>(route) > endings.size() ||
        endings[route - 1].empty()) {
        story_.ReturnToTitle();
        // Saving waits for the next story.
        if (hooks_.refreshMenu) hooks_.refreshMenu();
        return;
    }
    story_.BuildMessageWindow();
    services_.flow.GoTo(core::kStateScript);
    story_.LoadScenarioFile(endings[route - 1]);
    if (hooks_.refreshMenu) hooks_.refreshMenu();
}

}  // namespace screens
