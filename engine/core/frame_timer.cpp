#include "engine/core/frame_timer.h"

namespace core {

namespace {

// "a is not earlier than b" on a clock that wraps at 2^32.
bool NotEarlier(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) >= 0;
}

}  // namespace

void FrameTimer::Start(uint32_t period, EngineClock& clock) {
    if (period == 0) period = 1;  // a zero period would never let FrameDue finish
    now = clock.Now();
    nextDue = now + period;
    framePeriod = period;
}

bool FrameTimer::FrameDue(EngineClock& clock) {
    now = clock.Now();
    bool due = false;
    while (NotEarlier(now, nextDue)) {
        nextDue += framePeriod;
        if (NotEarlier(now, nextDue)) continue;  // a missed period is dropped
        due = true;
    }
    return due;
}

void FrameTimer::SetPeriod(uint32_t period) {
    previousPeriod = framePeriod;
    framePeriod = period == 0 ? 1 : period;
}

}  // namespace core
