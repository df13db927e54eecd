#pragma once
// The game layer: the game state, the script line buffer, the screen
// brightness, the general timers and the shake offset.

#include <array>
#include <memory>
#include <vector>

#include "engine/core/device_layer.h"

namespace core {

enum GameState : int32_t {
    kStateLogo = 0,
    kStateTitle = 1,
    kStateDate = 10,
    kStateMap = 20,
    kStateStaffRoll = 50,
    kStateEndingPictures = 51,
    kStateEpilogue = 55,
    kStateScenarioSelect = 60,
    kStateCgGallery = 70,
    kStateMusicGallery = 80,
    kStateScript = 99,
};

inline constexpr size_t kScriptLineBufferSize = 16384;
inline constexpr int kTimerCount = 8;  // timers 1..8

class GameLayer : public DeviceLayer {
public:
    using DeviceLayer::DeviceLayer;

    // Sets the screen brightness (0..256); a change redraws the whole screen.
    void SetBrightness(int32_t value);
    int32_t Brightness() const { return brightness_; }

    void NoteTimer(int timer);
    uint32_t TimerElapsed(int timer);

    int32_t gameState = kStateLogo;
    int32_t subState = 0;
    int32_t scriptDialect = 0;
    int32_t quakeX = 0;
    int32_t quakeY = 0;
    std::vector<uint8_t> scriptLine = std::vector<uint8_t>(kScriptLineBufferSize);

private:
    int32_t brightness_ = 256;
    std::array<uint32_t, kTimerCount + 1> timers_{};
};

}  // namespace core
