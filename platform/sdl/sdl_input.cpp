// The SDL backend's key and button tables, and where the picture sits in
// the window and how a window point maps onto it (see sdl_input.h).

#include "platform/sdl/sdl_input.h"

#include <SDL.h>

#include <algorithm>

#include "platform/gx.h"

namespace platform {

namespace {

constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 240;

int FloorDivide(int value, int divisor) {
    int quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

uint16_t KeyboardKeyCode(int32_t sdlKeycode) {
    switch (sdlKeycode) {
        case SDLK_UP:
            return kVkUp;
        case SDLK_DOWN:
            return kVkDown;
        case SDLK_LEFT:
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return kVkLeft;
        case SDLK_RIGHT:
            return kVkRight;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_SPACE:
        case SDLK_z:
            return kVkC;
        case SDLK_x:
        case SDLK_ESCAPE:
            return kVkB;
        case SDLK_a:
            return kVkA;
        case SDLK_s:
            return kVkStart;
        case SDLK_TAB:
            return kVkCentre;
        default:
            return 0;
    }
}

uint16_t ControllerButtonCode(int32_t sdlButton) {
    switch (sdlButton) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return kVkUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return kVkDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return kVkLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return kVkRight;
        case SDL_CONTROLLER_BUTTON_A:
        case SDL_CONTROLLER_BUTTON_START:
            return kVkC;
        case SDL_CONTROLLER_BUTTON_B:
        case SDL_CONTROLLER_BUTTON_BACK:
            return kVkB;
        case SDL_CONTROLLER_BUTTON_X:
            return kVkA;
        case SDL_CONTROLLER_BUTTON_Y:
            return kVkStart;
        case SDL_CONTROLLER_BUTTON_LEFTSTICK:
        case SDL_CONTROLLER_BUTTON_GUIDE:
            return kVkCentre;
        default:
            return 0;
    }
}

PictureViewport FitPicture(int windowWidth, int windowHeight) {
    PictureViewport viewport;
    viewport.scale =
        std::max(1, std::min(windowWidth / kPictureWidth, windowHeight / kPictureHeight));
    viewport.x = (windowWidth - kPictureWidth * viewport.scale) / 2;
    viewport.y = (windowHeight - kPictureHeight * viewport.scale) / 2;
    return viewport;
}

bool WindowToLandscape(const PictureViewport& viewport, int windowX, int windowY, int32_t* x,
                       int32_t* y) {
    int pictureX = FloorDivide(windowX - viewport.x, viewport.scale);
    int pictureY = FloorDivide(windowY - viewport.y, viewport.scale);
    *x = std::clamp(pictureX, 0, kPictureWidth - 1);
    *y = std::clamp(pictureY, 0, kPictureHeight - 1);
    return *x == pictureX && *y == pictureY;
}

}  // namespace platform
