#pragma once
// How the desktop's keyboard, game controller and mouse stand in for the
// handheld's buttons and stylus. Private to the SDL backend; free of SDL's
// headers so that tests can reach it.

#include <cstdint>

namespace platform {

// The virtual-key code a keyboard key sends, 0 for keys the game ignores:
// arrows = directions (Ctrl also = Left, the skip key); Enter, Space, Z = C;
// X, Escape = B (menu); A = A; S = Start; Tab = the pad's centre.
uint16_t KeyboardKeyCode(int32_t sdlKeycode);

// The virtual-key code a controller button sends, 0 for buttons the game
// ignores: the D-pad = directions; A and Start = C (confirm); B and Back = B
// (menu); X = A; Y = Start; the left stick's click and the guide button =
// the pad's centre. Positions follow the common pad layout (A the lower
// face button), so confirm and cancel sit where players expect them.
uint16_t ControllerButtonCode(int32_t sdlButton);

// Where the 320 x 240 picture lies in a window: the largest whole scale that
// fits (at least 1), centred, the rest black.
struct PictureViewport {
    int x = 0;
    int y = 0;
    int scale = 1;
};
PictureViewport FitPicture(int windowWidth, int windowHeight);

// A window point as a landscape pixel; false when it lies outside the picture
// (*x and *y are then clamped to the picture's edge).
bool WindowToLandscape(const PictureViewport& viewport, int windowX, int windowY, int32_t* x,
                       int32_t* y);

}  // namespace platform
