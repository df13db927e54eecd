#pragma once
// Paces the frames in milliseconds of the engine clock.

#include <cstdint>

#include "engine/core/engine_clock.h"

namespace core {

inline constexpr uint32_t kFramePeriodMs = 16;

struct FrameTimer {
    uint32_t now = 0;
    uint32_t nextDue = 0;
    uint32_t framePeriod = kFramePeriodMs;
    uint32_t previousPeriod = kFramePeriodMs;

    void Start(uint32_t period, EngineClock& clock);
    // Frames are dropped, never queued: several missed periods yield one
    // frame, so a slow storage card cannot make the game run in bursts.
    bool FrameDue(EngineClock& clock);
    void SetPeriod(uint32_t period);
};

}  // namespace core
