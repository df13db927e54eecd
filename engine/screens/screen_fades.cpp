#include "engine/screens/screen_fades.h"

#include "engine/gfx/rect.h"
#include "engine/script/script_input.h"
#include "engine/sound/music_controller.h"
#include "formats/sjis.h"

namespace screens {

namespace {

constexpr int kCaptureSlot = 0;
constexpr int kCaptureLayer = 0;
constexpr uint32_t kCrossFadeMs = 1000;
constexpr uint32_t kMusicFadeMs = 1000;
constexpr uint32_t kLeaveFadeMs = 1500;

}  // namespace

void ClearScreen(const core::EngineServices& services) {
    services.slots.DeleteAllSprites();
    services.slots.FreeAllImages();
}

void BeginCrossFade(const core::EngineServices& services) {
    services.composition.SetBrightness(256);
    services.sound.Music().Stop();
    ClearScreen(services);
    // The screen buffer still holds the last frame, although its sprites
    // are gone.
    services.slots.CaptureScreen(kCaptureSlot);
    services.slots.CreateSprite(kCaptureSlot, kCaptureSlot, 0, 0, 800, 600, 0, 0, 0, 0,
                                kCaptureLayer);
}

bool StepCrossFade(const core::EngineServices& services) {
    uint32_t elapsed = services.timers.TimerElapsed(kScreenTimer);
    if (elapsed < kCrossFadeMs) {
        if (core::Sprite* capture = services.slots.SpriteAt(kCaptureSlot)) {
            capture->SetAlpha(256 - static_cast<int32_t>(elapsed * 256 / kCrossFadeMs));
        }
        return false;
    }
    services.slots.DeleteSprite(kCaptureSlot);
    services.slots.FreeImageSlot(kCaptureSlot);
    services.composition.SetBrightness(256);
    return true;
}

void BeginLeaving(const core::EngineServices& services) {
    services.timers.NoteTimer(kScreenTimer);
    services.sound.Music().FadeOut(kMusicFadeMs);
}

bool StepLeaving(const core::EngineServices& services) {
    uint32_t elapsed = services.timers.TimerElapsed(kScreenTimer);
    if (elapsed < kLeaveFadeMs) {
        services.composition.SetBrightness(256 -
                                           static_cast<int32_t>(elapsed * 256 / kLeaveFadeMs));
        return false;
    }
    services.composition.SetBrightness(0);
    services.sound.Music().Stop();
    ClearScreen(services);
    return true;
}

void PlayScreenMusic(const core::EngineServices& services, std::string_view name) {
    sound::MusicController& music = services.sound.Music();
    if (music.Playing() && formats::SjisEqualNoCase(music.Name(), name)) return;
    music.Play(name, services.data.DataFolders()[core::kLocationMusic0 + kFirstStory],
               script::ScaledVolume(services, services.settings.musicVolume), 0, 1);
}

bool TapInside(const core::InputState& input, int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t left = gfx::DesignToScreenX(x);
    int32_t top = gfx::DesignToScreenY(y);
    return input.stylusX >= left && input.stylusX < left + gfx::DesignToScreenX(width) &&
           input.stylusY >= top && input.stylusY < top + gfx::DesignToScreenY(height);
}

void ClearConfirm(core::InputState& input) {
    input.tap = false;
    input.keyC = 0;
    input.right = 0;
}

}  // namespace screens
