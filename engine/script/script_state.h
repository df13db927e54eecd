#pragma once
// The story's state that the interpreter, its effects and the screens share:
// the loaded script and its position, the script variables, choices being
// collected, and the state of each scene effect.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_io.h"
#include "formats/mes_script.h"

namespace script {

inline constexpr int kVariableCount = 32;
inline constexpr int kFlagBytes = 512;
inline constexpr int kGlobalBitCount = 4096;
inline constexpr int kRouteVariable = 31;
// Global bits with a meaning of their own: the four reached endings (kept in
// the system file), and one that every scenario load clears.
inline constexpr int kFirstEndingBit = 2032;
inline constexpr int kEndingBitCount = 4;
inline constexpr int kScenarioLocalBit = 1024;
// A new game copies the ending bits into column 0 of these flag rows.
inline constexpr int kFirstEndingFlagRow = 2;
inline constexpr int kFlagColumns = 32;

// The script variables; the save files keep them.
struct ScriptVariables {
    std::array<int32_t, kVariableCount> variables{};
    std::array<uint8_t, kFlagBytes> flags{};  // row * 32 + column
    std::array<uint8_t, kGlobalBitCount / 8> globalBits{};

    bool GlobalBit(int64_t bit) const {
        return bit >= 0 && bit < kGlobalBitCount && (globalBits[bit / 8] >> (bit % 8)) & 1;
    }
    void SetGlobalBit(int64_t bit) {
        if (bit >= 0 && bit < kGlobalBitCount) {
            globalBits[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
        }
    }
    void ClearGlobalBit(int64_t bit) {
        if (bit >= 0 && bit < kGlobalBitCount) {
            globalBits[bit / 8] &= static_cast<uint8_t>(~(1u << (bit % 8)));
        }
    }
    // Out-of-range rows, columns and indices read as 0 and are not written.
    static bool FlagInRange(int64_t row, int64_t column) {
        return row >= 0 && row < kFlagBytes / kFlagColumns && column >= 0 && column < kFlagColumns;
    }
    uint8_t Flag(int64_t row, int64_t column) const {
        return FlagInRange(row, column) ? flags[row * kFlagColumns + column] : 0;
    }
    void SetFlag(int64_t row, int64_t column, uint8_t value) {
        if (FlagInRange(row, column)) flags[row * kFlagColumns + column] = value;
    }
    int32_t* Variable(int64_t index) {
        return (index >= 0 && index < kVariableCount) ? &variables[index] : nullptr;
    }
};

struct ChoiceCollection {
    bool collecting = false;
    int32_t index = 0;  // the choice the next target and caption belong to
    std::array<int32_t, 4> targets{};
    std::array<bool, 4> hasTarget{};
    std::array<std::string, 4> captions;  // Shift-JIS, at most 47 bytes
};

struct Particle {
    bool active = false;
    int32_t kind = 0;
    int32_t x = 0;  // 1/1024 design pixels
    int32_t y = 0;
    int32_t fall = 0;
    int32_t phase = 0;
    int32_t swingSpeed = 0;
    int32_t swingRadius = 0;
};

struct ParticleState {
    bool active = false;
    int32_t maximum = 0;
    int32_t direction = 0;
    int32_t speed = 0;
    int32_t interval = 1;
    uint32_t steps = 0;
    uint32_t spawnTries = 0;
    std::array<Particle, 64> particles;
};

struct CaptionState {
    bool active = false;
    int32_t stage = 0;
    int32_t index = -1;
    uint32_t start = 0;
};

struct QuakeState {
    uint32_t swingTime = 0;
    int32_t swingsLeft = 0;
};

struct ScriptState {
    formats::ByteVector script;  // empty: no script loaded
    bool loaded = false;
    size_t pc = 0;
    int32_t recordTicks = 0;
    std::vector<formats::MesLabel> labels;
    std::string scenarioPath;  // Shift-JIS
    int32_t messageNumber = 0;
    ChoiceCollection choices;
    bool pictureChanged = false;
    int32_t panWidth = 0;
    std::array<int32_t, 3> eyecatchNumbers{};
    int32_t chainIndex = 0;
    int32_t chainStep = 0;
    bool fromScenarioSelect = false;
    bool windowWasVisible = false;
    uint32_t effectStart = 0;
    QuakeState quake;
    ParticleState particles;
    CaptionState caption;
    // The image paths shown in the character, second character, background
    // and scroll slots (26..29), to tell a new picture from the shown one.
    std::array<std::string, 4> shownPaths;
    // The scenario names seen so far (file parts), each once.
    std::vector<std::string> seenScenarios;
};

}  // namespace script
