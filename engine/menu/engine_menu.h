#pragma once
// The menu as the engine runs it: the widget with the whole tree, its
// command dispatcher, and the command messages between them. Choosing a
// command posts it to the main window; the window procedure hands it back
// to Command, as the system's own menus do.
//
// Thread safety: game thread only.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/input_state.h"
#include "engine/menu/menu_commands.h"
#include "engine/menu/menu_painter.h"
#include "engine/menu/menu_widget.h"
#include "platform/backend.h"

namespace menu {

class EngineMenu : public core::MenuHandler {
public:
    // window: the main window's handle (the engine's, read when posting).
    EngineMenu(platform::WindowSystem& windows, const platform::WindowHandle& window,
               core::Settings& settings, sound::MusicController& music, sound::SoundMixer* mixer,
               MenuHooks hooks);

    bool Open() override;
    bool OpenAt(int rootIndex) override;
    bool HandleInput(core::InputState& input) override;
    void Command(uint32_t identifier) override { commands_.Dispatch(identifier); }

    // Shows the menu with painter; without one the menu works unseen.
    void SetPainter(std::unique_ptr<MenuPainter> painter);

    MenuWidget& Widget() { return widget_; }
    MenuCommands& Commands() { return commands_; }

private:
    MenuWidget widget_;
    MenuCommands commands_;
    std::unique_ptr<MenuPainter> painter_;
};

// The header's status line: local date and time, and the battery charge.
std::string StatusLine(const platform::LocalTime& time, int batteryPercent);

}  // namespace menu
