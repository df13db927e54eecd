#pragma once
// The hardware keys and the stylus. Window messages update the state at any
// time; once per tick it is latched. Keys are counted, not flagged: most
// consumers act when a counter is exactly 1 (the first key-down of a press)
// and reset what they used.

#include <cstdint>

#include "engine/core/settings.h"
#include "platform/gx.h"

namespace core {

struct InputState;

// What the input needs of the engine's menu.
class MenuControl {
public:
    virtual ~MenuControl() = default;
    virtual bool IsMenuOpen() const = 0;
    // Opens the menu; false when it cannot open.
    virtual bool OpenMenu() = 0;
};

// The engine's menu as the core drives it; the game assembly installs it.
class MenuHandler {
public:
    virtual ~MenuHandler() = default;
    // False when the menu cannot open.
    virtual bool Open() = 0;
    // Opens the menu inside the root's popup at rootIndex (the load page is
    // 0); false when the menu cannot open.
    virtual bool OpenAt(int rootIndex) = 0;
    // Once per tick while open, with the latched input; false once it closed.
    virtual bool HandleInput(InputState& input) = 0;
    // A command message of the main window (the identifier).
    virtual void Command(uint32_t identifier) = 0;
};

struct InputState {
    int32_t up = 0;
    int32_t down = 0;
    int32_t left = 0;
    int32_t right = 0;
    int32_t centre = 0;
    int32_t keyA = 0;
    int32_t keyB = 0;
    int32_t keyC = 0;
    bool armUp = false;
    bool armDown = false;
    bool armLeft = false;
    bool armRight = false;
    bool armCentre = false;

    int32_t stylusX = 0;  // landscape pixels
    int32_t stylusY = 0;
    bool stylusDown = false;
    bool tapEvent = false;
    bool releaseEvent = false;
    bool tap = false;       // latched for this tick
    bool released = false;  // latched for this tick

    // The confirm input of the screens: a tap, or C or Right pressed once.
    bool Confirmed() const { return tap || keyC == 1 || right == 1; }

    void ClearKeyCounters();
    void ClearArming();
};

class Input {
public:
    Input(InputState& state, Settings& settings, MenuControl& menu)
        : state_(state), settings_(settings), menu_(menu) {}

    // The landscape key list taken from the Game API at start-up.
    void SetKeyList(const platform::GXKeyList& keys) { keys_ = keys; }

    void OnKey(uint32_t virtualKey, bool down);
    // Window coordinates of the 240 x 320 portrait device.
    void OnStylusDown(int32_t windowX, int32_t windowY);
    void OnStylusMove(int32_t windowX, int32_t windowY);
    void OnStylusUp(int32_t windowX, int32_t windowY);
    void LatchInput();

private:
    void CountDirection(int32_t& counter, bool& arm, int which);
    void StoreStylus(int32_t windowX, int32_t windowY);

    InputState& state_;
    Settings& settings_;
    MenuControl& menu_;
    platform::GXKeyList keys_{};
};

}  // namespace core
