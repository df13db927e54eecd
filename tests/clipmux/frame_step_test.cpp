// Which source frames a movie takes, for every frame-rate choice.

#include "clipmux/frame_step.h"

#include <gtest/gtest.h>

#include <vector>

namespace clipmux {
namespace {

std::vector<uint32_t> Taken(uint32_t sourceRate, int choice, uint32_t sourceFrames,
                            uint32_t* targetRate) {
    *targetRate = FileTargetRate(choice, sourceRate);
    StepPlan plan;
    std::string why;
    EXPECT_TRUE(PlanFileSteps(sourceRate, *targetRate, sourceFrames, &plan, &why)) << why;
    std::vector<uint32_t> frames;
    for (uint32_t i = 0; i < plan.frameCount; ++i) frames.push_back(FileSourceFrame(plan, i));
    return frames;
}

TEST(FrameStepTest, FileReadersStepThroughTheSourceForEachChoice) {
    uint32_t rate = 0;
    // 30 fps at 15: every second frame.
    EXPECT_EQ(Taken(30, 2, 8, &rate), (std::vector<uint32_t>{0, 2, 4, 6}));
    EXPECT_EQ(rate, 15u);
    // 15 fps at 30: every frame twice.
    EXPECT_EQ(Taken(15, 1, 3, &rate), (std::vector<uint32_t>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(rate, 30u);
    // Choice 0 keeps a 24 fps source's own rate and every frame.
    EXPECT_EQ(Taken(24, 0, 4, &rate), (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(rate, 24u);
    // 24 fps at 10: step 240 hundredths.
    EXPECT_EQ(Taken(24, 3, 10, &rate), (std::vector<uint32_t>{0, 2, 4, 7}));
    EXPECT_EQ(rate, 10u);
    // 30 fps at 5: every sixth frame; 11 frames give one movie frame only.
    EXPECT_EQ(Taken(30, 4, 13, &rate), (std::vector<uint32_t>{0, 6}));
    EXPECT_EQ(Taken(30, 4, 11, &rate), (std::vector<uint32_t>{0}));
    EXPECT_EQ(rate, 5u);
    // Too short for a single frame.
    EXPECT_TRUE(Taken(30, 4, 5, &rate).empty());
}

TEST(FrameStepTest, SourceRatesRoundUpAndARateOfZeroIsRefused) {
    EXPECT_EQ(RoundedUpRate(30000, 1001), 30u);  // 29.97 fps
    EXPECT_EQ(RoundedUpRate(24, 1), 24u);
    EXPECT_EQ(RoundedUpRate(25000, 1000), 25u);
    EXPECT_EQ(RoundedUpRate(0, 1), 0u);
    EXPECT_EQ(RoundedUpRate(30, 0), 0u);
    StepPlan plan;
    std::string why;
    EXPECT_FALSE(PlanFileSteps(0, FileTargetRate(0, 0), 100, &plan, &why));
    EXPECT_NE(why.find("frame rate is 0"), std::string::npos) << why;
    EXPECT_FALSE(PlanFileSteps(0, 15, 100, &plan, &why));
    EXPECT_EQ(plan.frameCount, 0u);
}

TEST(FrameStepTest, TheGraphCountsThirtyPositionsASecond) {
    const uint32_t expectedSteps[] = {2, 1, 2, 3, 6};
    const uint32_t expectedRates[] = {15, 30, 15, 10, 5};
    for (int choice = 0; choice < kFrameRateChoiceCount; ++choice) {
        StepPlan plan;
        std::string why;
        ASSERT_TRUE(PlanGraphSteps(GraphTargetRate(choice), 61, &plan, &why));
        EXPECT_EQ(GraphTargetRate(choice), expectedRates[choice]);
        EXPECT_EQ(plan.step, expectedSteps[choice]);
        // N = (M - 1) / step, the last position at most (M - 1) - step + step.
        EXPECT_EQ(plan.frameCount, 60 / expectedSteps[choice]);
        EXPECT_LE(GraphPosition(plan, plan.frameCount - 1), 60u - plan.step);
    }
    StepPlan plan;
    std::string why;
    ASSERT_TRUE(PlanGraphSteps(5, 6, &plan, &why));
    EXPECT_EQ(plan.frameCount, 0u);
}

}  // namespace
}  // namespace clipmux
