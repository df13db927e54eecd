#include "engine/screens/screen_fades.h"

#include "engine/screens/screen_support.h"
#include "engine/sound/music_controller.h"

namespace screens {

namespace {

constexpr int kCaptureSlot = 0;
constexpr int kCaptureLayer = 0;
constexpr uint32_t kCrossFadeMs = 1000;
constexpr uint32_t kMusicFadeMs = 1000;
constexpr uint32_t kLeaveFadeMs = 1500;

}  // namespace

void BeginCrossFade(const core::EngineServices& services) {
    services.composition.SetBrightness(256);
    services.sound.Music().Stop();
    ClearPictures(services);
    // The screen buffer still holds the last frame, although its sprites
    // are gone.
    services.slots.CaptureScreen(kCaptureSlot);
    services.slots.CreateSprite(kCaptureSlot, kCaptureSlot, 0, 0, 800, 600, 0, 0, 0, 0,
                                kCaptureLayer);
}

bool StepCrossFade(const core::EngineServices& services) {
    uint32_t elapsed = services.timers.TimerElapsed(kScreenTimer);
    if (elapsed < kCrossFadeMs) {
        if (core::Sprite* capture = services.slots.SpriteAt(kCaptureSlot))
            capture->SetAlpha(RampDown(elapsed, kCrossFadeMs));
        return false;
    }
    RemovePicture(services, kCaptureSlot);
    services.composition.SetBrightness(256);
    return true;
}

void BeginLeaving(const core::EngineServices& services) {
    services.timers.NoteTimer(kScreenTimer);
    services.sound.Music().FadeOut(kMusicFadeMs);
}

bool StepLeaving(const core::EngineServices& services) {
    uint32_t elapsed = services.timers.TimerElapsed(kScreenTimer);
    services.composition.SetBrightness(RampDown(elapsed, kLeaveFadeMs));
    if (elapsed < kLeaveFadeMs) return false;
    services.sound.Music().Stop();
    ClearPictures(services);
    return true;
}

}  // namespace screens
