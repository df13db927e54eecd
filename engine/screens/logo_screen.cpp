#include "engine/screens/logo_screen.h"

#include "engine/core/frame_timer.h"

namespace screens {

namespace {

constexpr int kLogoSlot = 10;
constexpr int kLogoLayer = 30;
constexpr int kLogoTimer = 1;
constexpr int kFirstStory = 0;  // the location of the first story's pictures
constexpr uint32_t kFadeInMs = 2000;
constexpr uint32_t kHoldMs = 3000;
constexpr uint32_t kFadeOutMs = 1000;

}  // namespace

void LogoScreen::RunState() {
    core::ImageSlots& slots = services_.slots;
    core::Composition& screen = services_.composition;
    core::Timers& timers = services_.timers;
    core::GameFlow& flow = services_.flow;
    if (services_.input.Confirmed()) {
        screen.SetBrightness(256);
        slots.DeleteAllSprites();
        slots.FreeAllImages();
        screen.MarkScreenDirty();
        flow.GoTo(core::kStateTitle);
        return;
    }
    switch (flow.subState) {
        case 0:
            timers.SetFramePeriod(core::kFramePeriodMs);
            screen.SetBrightness(0);
            slots.LoadImageSlot(kLogoSlot, kFirstStory, "GameData\\char\\Tarnel2.rbp",
                                gfx::Keying::kUnkeyed);
            slots.CreateSprite(kLogoSlot, kLogoSlot, 0, 0, -1, -1, 0, 0, 0, 0, kLogoLayer);
            timers.NoteTimer(kLogoTimer);
            flow.subState = 1;
            break;
        case 1: {
            uint32_t elapsed = timers.TimerElapsed(kLogoTimer);
            if (elapsed < kFadeInMs) {
                screen.SetBrightness(static_cast<int32_t>(elapsed * 256 / kFadeInMs));
            } else {
                screen.SetBrightness(256);
                timers.NoteTimer(kLogoTimer);
                flow.subState = 2;
            }
            break;
        }
        case 2:
            if (timers.TimerElapsed(kLogoTimer) >= kHoldMs) {
                timers.NoteTimer(kLogoTimer);
                flow.subState = 3;
            }
            break;
        case 3: {
            uint32_t elapsed = timers.TimerElapsed(kLogoTimer);
            if (elapsed < kFadeOutMs) {
                if (core::Sprite* logo = slots.SpriteAt(kLogoSlot)) {
                    logo->SetAlpha(256 - static_cast<int32_t>(elapsed * 256 / kFadeOutMs));
                }
            } else {
                slots.DeleteSprite(kLogoSlot);
                slots.FreeImageSlot(kLogoSlot);
                screen.MarkScreenDirty();
                flow.GoTo(core::kStateTitle);
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace screens
