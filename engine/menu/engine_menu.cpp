#include "engine/menu/engine_menu.h"

namespace menu {

EngineMenu::EngineMenu(platform::WindowSystem& windows, const platform::WindowHandle& window,
                       core::Settings& settings, sound::MusicController& music,
                       sound::SoundMixer* mixer, MenuHooks hooks)
    : widget_([&windows, &window](uint32_t identifier) {
          windows.PostMessage({window, platform::kMsgCommand, identifier & 0xFFFF, 0});
      }),
      commands_(widget_, settings, music, mixer, std::move(hooks)) {
    BuildMenuTree(widget_);
    commands_.UpdateAllMarks();
}

bool EngineMenu::Open() {
    widget_.Open();
    return widget_.IsOpen();
}

bool EngineMenu::HandleInput(core::InputState& input) {
    return widget_.HandleInput(input);
}

}  // namespace menu
