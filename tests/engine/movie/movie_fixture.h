#pragma once
// A movie player on a clock the test sets and a device buffer in memory.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/engine_clock.h"
#include "engine/movie/movie_control.h"
#include "movie_test_data.h"
#include "platform/device_path.h"
#include "test_support.h"

namespace movie_test {

class TestClock : public platform::Clock {
public:
    uint32_t TickCount() override { return now; }
    void Sleep(uint32_t milliseconds) override { now += milliseconds; }
    uint32_t now = 5000;
};

// The device's display memory; filled with a marker so that what was not
// drawn shows.
class MemoryDisplay : public gfx::PresentTarget {
public:
    static constexpr uint16_t kUntouched = 0xABCD;
    MemoryDisplay() { Fill(kUntouched); }
    uint8_t* BeginDraw() override { return bits.data(); }
    void EndDraw() override { ++presents; }
    void Fill(uint16_t word) {
        for (size_t i = 0; i < bits.size(); i += 2) std::memcpy(&bits[i], &word, 2);
    }
    // Screen position (x 0..239, y 0..319) of the portrait device.
    uint16_t At(int32_t x, int32_t y) const {
        uint16_t word;
        std::memcpy(&word, bits.data() + ptrdiff_t{x} * 2 + ptrdiff_t{y} * 480, 2);
        return word;
    }
    std::vector<uint8_t> bits = std::vector<uint8_t>(240 * 320 * 2);
    int presents = 0;
};

class MovieFixture : public ::testing::Test {
protected:
    movie::MovieOutput Output() {
        return {engineClock_, display_, platform::kDeviceDisplayProperties, nullptr};
    }
    std::string Folder() const { return platform::HostToDevicePath(dir_.path().string() + "/"); }
    // The frame the middle of the screen shows.
    uint32_t FrameOnScreen(uint32_t frameCount) const {
        return NearestFrame(display_.At(120, 160), frameCount);
    }
    // Runs AdvanceMovie until the clock reaches time (each step sleeps 1 ms);
    // false when the movie ended first.
    bool AdvanceUntil(movie::MovieControl& movies, uint32_t time) {
        while (clock_.now < time) {
            if (!movies.AdvanceMovie()) return false;
        }
        return true;
    }

    testing_support::TempDir dir_;
    TestClock clock_;
    core::EngineClock engineClock_{clock_};
    MemoryDisplay display_;
};

}  // namespace movie_test
