#include "engine/menu/engine_menu.h"

#include "formats/format_text.h"

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

void EngineMenu::SetPainter(std::unique_ptr<MenuPainter> painter) {
    painter_ = std::move(painter);
    widget_.onRedraw = [this] {
        if (painter_) painter_->Draw(widget_);
    };
    widget_.onClose = [this] {
        if (painter_) painter_->Restore();
    };
}

std::string StatusLine(const platform::LocalTime& time, int batteryPercent) {
    return formats::FormatText("[%z4-%z2-%z2 %z2:%z2][%d%c]",
                               {time.year, time.month, time.day, time.hour, time.minute,
                                batteryPercent, static_cast<int32_t>('%')});
}

bool EngineMenu::Open() {
    widget_.Open();
    return widget_.IsOpen();
}

bool EngineMenu::OpenAt(int rootIndex) {
    widget_.OpenAt(rootIndex);
    return widget_.IsOpen();
}

bool EngineMenu::HandleInput(core::InputState& input) {
    return widget_.HandleInput(input);
}

}  // namespace menu
