#include "clipmux/frame_step.h"

#include <limits>

namespace clipmux {

uint32_t RoundedUpRate(uint32_t rate, uint32_t scale) {
    if (rate == 0 || scale == 0) return 0;
    return static_cast<uint32_t>((uint64_t{rate} + scale - 1) / scale);
}

uint32_t FileTargetRate(int choice, uint32_t sourceRate) {
    if (choice <= 0 || choice >= kFrameRateChoiceCount) return sourceRate;
    return kChoiceRates[choice];
}

uint32_t GraphTargetRate(int choice) {
    if (choice <= 0 || choice >= kFrameRateChoiceCount) return kGraphDefaultRate;
    return kChoiceRates[choice];
}

bool PlanFileSteps(uint32_t sourceRate, uint32_t targetRate, uint32_t sourceFrames, StepPlan* plan,
                   std::string* why) {
    *plan = {};
    if (sourceRate == 0) {
        *why = "the source's frame rate is 0";
        return false;
    }
    if (targetRate == 0) {
        *why = "the target frame rate is 0";
        return false;
    }
    const uint64_t step = uint64_t{sourceRate} * 100 / targetRate;
    if (step == 0 || step > std::numeric_limits<uint32_t>::max()) {
        *why = "the source's frame rate is out of range";
        return false;
    }
    plan->step = static_cast<uint32_t>(step);
    const uint64_t count = uint64_t{sourceFrames} * 100 / step;
    plan->frameCount =
        static_cast<uint32_t>(std::min<uint64_t>(count, std::numeric_limits<uint32_t>::max()));
    return true;
}

uint32_t FileSourceFrame(const StepPlan& plan, uint32_t index) {
    return static_cast<uint32_t>(uint64_t{index} * plan.step / 100);
}

bool PlanGraphSteps(uint32_t targetRate, uint64_t positions, StepPlan* plan, std::string* why) {
    *plan = {};
    if (targetRate == 0 || targetRate > kGraphPositionsPerSecond) {
        *why = "the target frame rate is out of range";
        return false;
    }
    plan->step = kGraphPositionsPerSecond / targetRate;
    const uint64_t count = positions == 0 ? 0 : (positions - 1) / plan->step;
    plan->frameCount =
        static_cast<uint32_t>(std::min<uint64_t>(count, std::numeric_limits<uint32_t>::max()));
    return true;
}

}  // namespace clipmux
