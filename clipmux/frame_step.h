#pragma once
// Which source frames a movie takes: the target frame rate of each choice and
// the stepping through the source in hundredths of a frame (file readers) or
// in whole positions at 30 per second (the decoding graph).

#include <cstdint>
#include <string>

namespace clipmux {

inline constexpr int kFrameRateChoiceCount = 5;
// Choice 0 keeps the source's rate on the file readers and means 15 fps on
// the decoding graph.
inline constexpr uint32_t kChoiceRates[kFrameRateChoiceCount] = {0, 30, 15, 10, 5};
inline constexpr uint32_t kGraphDefaultRate = 15;
// The decoding graph counts positions at this rate, whatever the source's.
inline constexpr uint32_t kGraphPositionsPerSecond = 30;

// The whole-frame rate of a stream that runs `rate` / `scale` frames per
// second, rounded up (29.97 becomes 30); 0 when either is 0.
uint32_t RoundedUpRate(uint32_t rate, uint32_t scale);

// The target rate written into the movie for a file reader.
uint32_t FileTargetRate(int choice, uint32_t sourceRate);
uint32_t GraphTargetRate(int choice);

// A file reader's step of at most one whole source frame: every source frame
// is shown.
inline constexpr uint32_t kWholeFrameStep = 100;

struct StepPlan {
    uint32_t step = 0;        // hundredths of a source frame, or graph positions
    uint32_t frameCount = 0;  // frames the movie gets
};

// File readers: step = S x 100 / T; N = L x 100 / step. Refuses a source
// rate of 0 (a damaged header) and a target of 0.
bool PlanFileSteps(uint32_t sourceRate, uint32_t targetRate, uint32_t sourceFrames, StepPlan* plan,
                   std::string* why);
// The source frame that movie frame `index` shows: (index x step) / 100.
uint32_t FileSourceFrame(const StepPlan& plan, uint32_t index);

// Decoding graph: step = 30 / T positions; with M positions in the stream,
// N = (M - 1) / step, taken at positions 0, step, 2 x step, ...
bool PlanGraphSteps(uint32_t targetRate, uint64_t positions, StepPlan* plan, std::string* why);
inline uint64_t GraphPosition(const StepPlan& plan, uint32_t index) {
    return uint64_t{index} * plan.step;
}

}  // namespace clipmux
