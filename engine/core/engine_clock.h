#pragma once
// The engine clock: the platform's millisecond tick count, read through one
// function that can be frozen. The sprite pass freezes it so that every
// animation of one frame sees one time.

#include <cstdint>

#include "platform/backend.h"

namespace core {

class EngineClock {
public:
    explicit EngineClock(platform::Clock& source) : source_(source) {}

    uint32_t Now() {
        if (!frozen_) last_ = source_.TickCount();
        return last_;
    }
    // Stamps the clock and holds that value until Unfreeze.
    void Freeze() {
        Now();
        frozen_ = true;
    }
    void Unfreeze() { frozen_ = false; }
    void Sleep(uint32_t milliseconds) { source_.Sleep(milliseconds); }

private:
    platform::Clock& source_;
    bool frozen_ = false;
    uint32_t last_ = 0;
};

}  // namespace core
