// The scene effects the story's records start: the fade from the old
// picture to the new, the shake, the vertical scroll, the horizontal pan and
// the eye-catch. Each is called on every run of its record and returns 1
// when it is done.

#include <algorithm>
#include <array>

#include "engine/script/interpreter.h"
#include "engine/script/script_input.h"

namespace script {

namespace {

constexpr uint32_t kQuakeSwingMs = 50;
constexpr int32_t kQuakeOffset = 8;
constexpr uint32_t kScrollMs = 4000;
constexpr uint32_t kPanMs = 3000;
constexpr uint32_t kEyecatchMs = 3000;

}  // namespace

bool Interpreter::Transition(uint32_t durationMs, WindowInTransition windowMode, bool first) {
    if (first) {
        engine_.slots.FreeImageSlot(kCaptureSlot);
        if (!engine_.settings.effectUse || Skipping(engine_)) return true;
        // The screen still shows the old picture: it fades away over the new.
        engine_.slots.CaptureScreen(kCaptureSlot);
        engine_.slots.CreateSprite(kCaptureSlot, kCaptureSlot, 0, 0, 800, 600, 0, 0, 0, 0, 0);
        engine_.slots.StartFadeOut(kCaptureSlot, durationMs);
        state.windowWasVisible = window_ && window_->Visible();
        if (windowMode == WindowInTransition::kHidden && window_ && window_->Visible())
            window_->Show(false);
        return false;
    }
    if (core::Sprite* capture = engine_.slots.SpriteAt(kCaptureSlot);
        capture && capture->IsFading()) {
        if (engine_.settings.effectUse && !Confirmed() && !SkipKeyHeld(engine_)) return false;
        ClearConfirm(engine_);
        capture->FinishFadeOut();
    }
    engine_.slots.DeleteSprite(kCaptureSlot);
    engine_.slots.FreeImageSlot(kCaptureSlot);
    return true;
}

bool Interpreter::Quake(int axis, bool first) {
    core::Composition& screen = engine_.composition;
    // The swinging axis' offset; the other one stays.
    auto swing = [&](int32_t offset) {
        if (axis == 0) {
            screen.SetShakeOffset(offset, screen.ShakeY());
        } else {
            screen.SetShakeOffset(screen.ShakeX(), offset);
        }
    };
    if (first) {
        swing(kQuakeOffset);
        state.quake.swingTime = Now();
        state.quake.swingsLeft = 4;
        screen.MarkScreenDirty();
        return false;
    }
    if (Now() - state.quake.swingTime <= kQuakeSwingMs) return false;
    if (--state.quake.swingsLeft <= 0) {
        screen.SetShakeOffset(0, 0);
        screen.MarkScreenDirty();
        return true;
    }
    swing(-(axis == 0 ? screen.ShakeX() : screen.ShakeY()));
    state.quake.swingTime = Now();
    screen.MarkScreenDirty();
    return false;
}

// The scroll and the pan: the background slides from 0,0 to its end
// position over the duration, and the picture in the scroll slot follows it
// at the end position's distance, arriving at 0,0.
bool Interpreter::SlidePictures(bool first, uint32_t durationMs, int32_t endX, int32_t endY) {
    auto place = [&](int32_t backX, int32_t backY) {
        if (core::Sprite* back = engine_.slots.SpriteAt(kBackgroundSlot))
            back->SetPosition(backX, backY);
        if (core::Sprite* scroll = engine_.slots.SpriteAt(kScrollSlot))
            scroll->SetPosition(backX - endX, backY - endY);
    };
    auto finish = [&] {
        if (state.windowWasVisible && window_) window_->Show(true);
        place(endX, endY);
        return true;
    };
    if (first) {
        state.effectStart = Now();
        if (engine_.settings.effectUse && !Skipping(engine_)) {
            state.windowWasVisible = window_ && window_->Visible();
            if (state.windowWasVisible) window_->Show(false);
            return false;
        }
        state.windowWasVisible = false;
        return finish();
    }
    // Skipping counts as a press.
    if (Confirmed() || Skipping(engine_)) {
        ClearConfirm(engine_);
        return finish();
    }
    uint32_t elapsed = Now() - state.effectStart;
    if (elapsed >= durationMs) return finish();
    place(static_cast<int32_t>(int64_t{elapsed} * endX / durationMs),
          static_cast<int32_t>(int64_t{elapsed} * endY / durationMs));
    return false;
}

bool Interpreter::VerticalScroll(int direction, bool first) {
    return SlidePictures(first, kScrollMs, 0, direction == 0 ? -600 : 600);
}

bool Interpreter::HorizontalPan(bool first) {
    return SlidePictures(first, kPanMs, state.panWidth, 0);
}

namespace {

// The eye-catch's numbers index picture cells; a damaged script's numbers
// are kept small enough for the cell arithmetic.
std::array<int32_t, 3> CellNumbers(const std::array<int32_t, 3>& numbers) {
    return {std::clamp(numbers[0], -1000, 1000), std::clamp(numbers[1], -1000, 1000),
            std::clamp(numbers[2], -1000, 1000)};
}

}  // namespace

bool Interpreter::Eyecatch(bool first) {
    const auto n = CellNumbers(state.eyecatchNumbers);
    if (first) {
        if (window_ && window_->Visible()) window_->Show(false);
        engine_.slots.LoadImageSlot(10, ImageLocation(), "GameData\\system\\IcatchBack07.rbp",
                                    gfx::Keying::kUnkeyed);
        engine_.slots.LoadImageSlot(11, ImageLocation(), "GameData\\system\\IcatchChip03.rbp",
                                    gfx::Keying::kKeyed);
        engine_.slots.CreateSprite(10, 10, 0, 0, 800, 600, 0, 0, 0, 0, 24);
        auto digit = [&](int sprite, int32_t cell, int32_t x) {
            engine_.slots.CreateSprite(sprite, 11, 16 * cell, 0, 16, 24, x, 472, 0, 0, 20);
        };
        digit(11, n[0], 80);
        digit(12, 10, 96);
        if (n[1] > 9) digit(13, n[1] / 10, 112);
        digit(14, n[1] % 10, 128);
        digit(15, 11, 144);
        engine_.slots.CreateSprite(16, 11, 48 * n[2], 26, 48, 24, 160, 472, 0, 0, 20);
        state.effectStart = Now();
        return false;
    }
    if (Now() - state.effectStart < kEyecatchMs) {
        if (!Confirmed()) return false;
        ClearConfirm(engine_);
    }
    for (int sprite = 10; sprite <= 16; ++sprite) engine_.slots.DeleteSprite(sprite);
    engine_.slots.FreeImageSlot(10);
    engine_.slots.FreeImageSlot(11);
    engine_.composition.MarkScreenDirty();
    return true;
}

bool Interpreter::EyecatchAlt(bool first) {
    const auto n = CellNumbers(state.eyecatchNumbers);
    if (first) {
        if (window_ && window_->Visible()) window_->Show(false);
        engine_.slots.LoadImageSlot(10, 2, "GameData\\system\\sky_a.rbp", gfx::Keying::kUnkeyed);
        engine_.slots.LoadImageSlot(11, 2, "GameData\\system\\ICATCHBT.rbp", gfx::Keying::kKeyed);
        engine_.slots.CreateSprite(10, 10, 0, 0, 800, 600, 0, 0, 0, 0, 24);
        auto cell = [&](int sprite, int32_t k, int32_t x, int32_t y) {
            engine_.slots.CreateSprite(sprite, 11, (k % 6) * 96, (k / 6) * 88, 96, 88, x, y, 0, 0,
                                       20);
        };
        cell(11, n[0], 240, 168);
        engine_.slots.CreateSprite(12, 11, 384, 88, 96, 88, 336, 168, 0, 0, 20);
        cell(13, n[1], 432, 168);
        if (n[2] > 2) {
            engine_.slots.CreateSprite(14, 11, 128 * n[2] - 384, 240, 128, 96, 536, 192, 0, 0, 20);
        } else {
            engine_.slots.CreateSprite(14, 11, 128 * n[2], 176, 128, 64, 536, 192, 0, 0, 20);
        }
        state.effectStart = Now();
        return false;
    }
    if (Now() - state.effectStart < kEyecatchMs) {
        if (!Confirmed()) return false;
        ClearConfirm(engine_);
    }
    for (int sprite = 10; sprite <= 14; ++sprite) engine_.slots.DeleteSprite(sprite);
    engine_.slots.FreeImageSlot(10);
    engine_.slots.FreeImageSlot(11);
    engine_.composition.MarkScreenDirty();
    return true;
}

}  // namespace script
