// Game state 0: the brand logo fades in over 2 s, holds 3 s and fades out
// over 1 s; a tap, C or Right skips straight to the title.

#include "engine/core/engine.h"

namespace core {

namespace {

constexpr int kLogoSlot = 10;
constexpr int kLogoLayer = 30;
constexpr uint32_t kFadeInMs = 2000;
constexpr uint32_t kHoldMs = 3000;
constexpr uint32_t kFadeOutMs = 1000;

}  // namespace

void Engine::RunLogo() {
    if (inputState.Confirmed()) {
        SetBrightness(256);
        DeleteAllSprites();
        FreeAllImages();
        MarkScreenDirty();
        gameState = kStateTitle;
        subState = 0;
        return;
    }
    switch (subState) {
        case 0:
            frameTimer.SetPeriod(kFramePeriodMs);
            SetBrightness(0);
            LoadImageSlot(kLogoSlot, 0, "GameData\\char\\Tarnel2.rbp", gfx::Keying::kUnkeyed);
            CreateSprite(kLogoSlot, kLogoSlot, 0, 0, -1, -1, 0, 0, 0, 0, kLogoLayer);
            NoteTimer(1);
            subState = 1;
            break;
        case 1: {
            uint32_t elapsed = TimerElapsed(1);
            if (elapsed < kFadeInMs) {
                SetBrightness(static_cast<int32_t>(elapsed * 256 / kFadeInMs));
            } else {
                SetBrightness(256);
                NoteTimer(1);
                subState = 2;
            }
            break;
        }
        case 2:
            if (TimerElapsed(1) >= kHoldMs) {
                NoteTimer(1);
                subState = 3;
            }
            break;
        case 3: {
            uint32_t elapsed = TimerElapsed(1);
            if (elapsed < kFadeOutMs) {
                if (Sprite* logo = SpriteAt(kLogoSlot)) {
                    logo->SetAlpha(256 - static_cast<int32_t>(elapsed * 256 / kFadeOutMs));
                }
            } else {
                DeleteSprite(kLogoSlot);
                FreeImageSlot(kLogoSlot);
                MarkScreenDirty();
                gameState = kStateTitle;
                subState = 0;
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace core
