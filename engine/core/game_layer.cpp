#include "engine/core/game_layer.h"

#include <algorithm>

namespace core {

void GameLayer::SetBrightness(int32_t value) {
    value = std::clamp(value, 0, 256);
    if (value == brightness_) return;
    brightness_ = value;
    MarkScreenDirty();  // every sprite's drawn brightness changes
}

void GameLayer::NoteTimer(int timer) {
    if (timer >= 1 && timer <= kTimerCount) timers_[timer] = clock.Now();
}

uint32_t GameLayer::TimerElapsed(int timer) {
    if (timer < 1 || timer > kTimerCount) return 0;
    return clock.Now() - timers_[timer];
}

}  // namespace core
