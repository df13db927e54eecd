#pragma once
// The window layer: the window, its title and the frame timer, and the one
// window procedure that hands every message to the object bound to its
// window.

#include <cstdint>
#include <string>

#include "engine/core/frame_timer.h"
#include "platform/backend.h"

namespace core {

class AppWindow {
public:
    AppWindow() = default;
    virtual ~AppWindow();
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // Creates the main window through the window system and binds it to this
    // object. False when it cannot be made.
    bool CreateMainWindow(platform::WindowSystem& windows, const std::string& title);

    // Serves every AppWindow: the first message a window receives binds it to
    // the object that was creating it; a message for a window that differs
    // from the bound one returns 0.
    static intptr_t WindowProcedure(const platform::Message& message);

    // The layers above override this and pass what they do not take down.
    virtual intptr_t HandleMessage(const platform::Message& message);

    platform::WindowHandle window = 0;
    std::string title;
    FrameTimer frameTimer;
};

}  // namespace core
