#include "engine/core/input_state.h"

#include "engine/gfx/screen_buffer.h"

namespace core {

namespace {

enum Direction { kUp = 0, kDown = 1, kLeft = 2, kRight = 3 };

}  // namespace

void InputState::ClearKeyCounters() {
    up = down = left = right = centre = keyA = keyB = keyC = 0;
}

void InputState::ClearArming() {
    armUp = armDown = armLeft = armRight = armCentre = false;
}

void Input::CountDirection(int32_t& counter, bool& arm, int which) {
    InputState& s = state_;
    switch (settings_.cursorMode) {
        case 0:
            ++counter;
            break;
        case 1: {
            int32_t others = s.up + s.down + s.left + s.right - counter;
            if (others == 0) ++counter;
            break;
        }
        case 2:  // horizontal first: Up and Down need a second press
            if (which == kLeft || which == kRight) {
                ++counter;
                s.armUp = s.armDown = false;
            } else {
                if (arm) ++counter;
                arm = true;
            }
            break;
        case 3:  // vertical first: Left and Right need a second press
            if (which == kUp || which == kDown) {
                ++counter;
                s.armLeft = s.armRight = false;
            } else {
                if (arm) ++counter;
                arm = true;
            }
            break;
        case 4: {  // every direction needs its arming press
            if (arm) ++counter;
            bool* flags[] = {&s.armUp, &s.armDown, &s.armLeft, &s.armRight};
            for (int i = 0; i < 4; ++i) *flags[i] = (i == which);
            break;
        }
        default:
            break;
    }
}

void Input::OnKey(uint32_t virtualKey, bool down) {
    InputState& s = state_;
    const auto is = [virtualKey](const platform::GXKeyEntry& entry) {
        return virtualKey == static_cast<uint16_t>(entry.vkCode);
    };
    if (down) {
        int direction = -1;
        if (is(keys_.up)) {
            direction = kUp;
            CountDirection(s.up, s.armUp, kUp);
        } else if (is(keys_.down)) {
            direction = kDown;
            CountDirection(s.down, s.armDown, kDown);
        } else if (is(keys_.left)) {
            direction = kLeft;
            CountDirection(s.left, s.armLeft, kLeft);
        } else if (is(keys_.right)) {
            direction = kRight;
            CountDirection(s.right, s.armRight, kRight);
        } else if (virtualKey == platform::kVkCentre) {
            if (settings_.doubleClick) {
                if (s.armCentre) ++s.centre;
                s.armCentre = true;
            } else {
                ++s.centre;
                s.armCentre = false;
            }
        } else if (is(keys_.a)) {
            ++s.keyA;
        } else if (is(keys_.b)) {
            ++s.keyB;
        } else if (is(keys_.c)) {
            ++s.keyC;
        }
        if (direction >= 0) s.armCentre = false;
    } else {
        if (is(keys_.up)) s.up = 0;
        if (is(keys_.down)) s.down = 0;
        if (is(keys_.left)) s.left = 0;
        if (is(keys_.right)) s.right = 0;
        if (is(keys_.a)) s.keyA = 0;
        if (is(keys_.b)) s.keyB = 0;
        if (is(keys_.c)) s.keyC = 0;
        if (virtualKey == platform::kVkCentre) s.centre = 0;
    }

    // An open menu reads its keys itself (B closes it).
    if (menu_.IsMenuOpen()) return;
    if (settings_.centreKeyControl == 1 && (s.centre == 1 || s.keyB == 1)) {
        menu_.OpenMenu();
        s.centre = 0;
        s.keyB = 0;
    } else if (s.keyB == 1 && menu_.OpenMenu()) {
        s.keyB = 0;
    }
}

void Input::StoreStylus(int32_t windowX, int32_t windowY) {
    // The portrait device shows the landscape picture turned by a quarter.
    state_.stylusX = gfx::kScreenWidth - windowY;
    state_.stylusY = windowX;
}

void Input::OnStylusDown(int32_t windowX, int32_t windowY) {
    StoreStylus(windowX, windowY);
    state_.stylusDown = true;
    state_.tapEvent = true;
}

void Input::OnStylusMove(int32_t windowX, int32_t windowY) {
    StoreStylus(windowX, windowY);
}

void Input::OnStylusUp(int32_t /*windowX*/, int32_t /*windowY*/) {
    state_.stylusDown = false;
    state_.tapEvent = false;
    state_.releaseEvent = true;
}

void Input::LatchInput() {
    InputState& s = state_;
    s.tap = s.tapEvent;
    s.released = s.releaseEvent;
    s.tapEvent = false;
    s.releaseEvent = false;
    if (s.tap) {
        // The stylus wins over the keys in that tick.
        s.ClearKeyCounters();
        s.ClearArming();
    }
    if (s.keyC == 1 || s.keyA == 1 || s.keyB == 1) {
        s.ClearArming();
        s.up = s.down = s.left = s.right = s.centre = 0;
    }
    if (menu_.IsMenuOpen()) return;
    if (settings_.lockSkip && s.left == 1) {
        settings_.skipMode = true;
        s.left = 0;
    } else if (settings_.skipMode && (s.keyC == 1 || s.tap || s.right == 1)) {
        // The press that stops skipping is used up.
        settings_.skipMode = false;
        s.keyC = 0;
        s.tap = false;
        s.right = 0;
    }
}

}  // namespace core
