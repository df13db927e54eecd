#include "engine/core/frame_timer.h"

#include <gtest/gtest.h>

namespace {

class ManualClock : public platform::Clock {
public:
    uint32_t TickCount() override { return now; }
    void Sleep(uint32_t ms) override { now += ms; }
    uint32_t now = 0;
};

TEST(FrameTimer, LateTickRunsOneFrameAndKeepsTheSchedule) {
    ManualClock source;
    source.now = 1000;
    core::EngineClock clock(source);
    core::FrameTimer timer;
    timer.Start(16, clock);
    EXPECT_EQ(timer.nextDue, 1016u);
    source.now = 1015;
    EXPECT_FALSE(timer.FrameDue(clock));
    source.now = 1016;
    EXPECT_TRUE(timer.FrameDue(clock));
    EXPECT_EQ(timer.nextDue, 1032u);

    // 50 ms late: one frame, and the next one is due at the next multiple of
    // 16 after the earlier schedule that lies in the future.
    source.now = 1032 + 50;
    EXPECT_TRUE(timer.FrameDue(clock));
    EXPECT_EQ(timer.nextDue, 1096u);
    EXPECT_FALSE(timer.FrameDue(clock));
}

TEST(FrameTimer, SurvivesTheClockWrapping) {
    ManualClock source;
    source.now = 0xFFFFFFF0u;
    core::EngineClock clock(source);
    core::FrameTimer timer;
    timer.Start(16, clock);
    source.now = 0;  // wrapped: exactly one period later
    EXPECT_TRUE(timer.FrameDue(clock));
    EXPECT_FALSE(timer.FrameDue(clock));
}

TEST(FrameTimer, SetPeriodKeepsThePreviousOne) {
    core::FrameTimer timer;
    timer.SetPeriod(33);
    EXPECT_EQ(timer.framePeriod, 33u);
    EXPECT_EQ(timer.previousPeriod, 16u);
}

TEST(EngineClock, FrozenClockReturnsTheStampedValue) {
    ManualClock source;
    source.now = 5;
    core::EngineClock clock(source);
    clock.Freeze();
    source.now = 900;
    EXPECT_EQ(clock.Now(), 5u);
    clock.Unfreeze();
    EXPECT_EQ(clock.Now(), 900u);
}

}  // namespace
