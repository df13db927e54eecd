#pragma once
// The game layer: the game state, the screen brightness, the general timers
// and the shake offset.

#include <array>
#include <memory>

#include "engine/core/device_layer.h"
#include "engine/core/game_flow.h"

namespace core {

inline constexpr int kTimerCount = 8;  // timers 1..8

class GameLayer : public DeviceLayer, public Timers {
public:
    using DeviceLayer::DeviceLayer;

    // Composition: sets the screen brightness (0..256); a change redraws the
    // whole screen.
    void SetBrightness(int32_t value) override;
    int32_t Brightness() const override { return brightness_; }
    void SetShakeOffset(int32_t x, int32_t y) override {
        shakeX_ = x;
        shakeY_ = y;
    }
    int32_t ShakeX() const override { return shakeX_; }
    int32_t ShakeY() const override { return shakeY_; }

    // Timers.
    uint32_t Now() override { return clock.Now(); }
    void NoteTimer(int timer) override;
    uint32_t TimerElapsed(int timer) override;
    void SetFramePeriod(uint32_t milliseconds) override { frameTimer.SetPeriod(milliseconds); }

    GameFlow flow;

private:
    int32_t brightness_ = 256;
    int32_t shakeX_ = 0;
    int32_t shakeY_ = 0;
    std::array<uint32_t, kTimerCount + 1> timers_{};
};

}  // namespace core
