#pragma once
// The engine's menu tree and the dispatcher of its commands: every setting
// the menu offers lives in core::Settings; loading, saving, returning to the
// title and exiting are hooks the game assembly fills.
//
// Thread safety: game thread only.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/core/settings.h"
#include "engine/menu/menu_widget.h"

namespace sound {
class MusicController;
class SoundMixer;
}  // namespace sound

namespace menu {

inline constexpr uint32_t kCommandExit = 40007;
inline constexpr uint32_t kCommandTitle = 40008;
inline constexpr uint32_t kCommandFirstLoad = 40017;
inline constexpr uint32_t kCommandFirstSave = 40032;
inline constexpr int kSlotCount = 15;

// What the menu cannot do itself; an empty hook does nothing.
struct MenuHooks {
    std::function<void()> exit;  // close the main window
    std::function<void()> returnToTitle;
    std::function<void(int slot)> loadSlot;
    std::function<void(int slot, int kind)> saveSlot;
    // The cursor mode changed: the pending cursor key states go.
    std::function<void()> clearCursorKeys;
    // The text look changed: the whole screen is drawn again.
    std::function<void()> redrawScreen;
    // The message window's opacity for the new transparency level.
    std::function<void(int opacityLevel)> messageWindowTrans;
    std::function<void()> particlesChanged;
    std::function<void()> overlayChanged;
    std::function<void()> mannerModeChanged;
};

// Builds the whole tree into an empty widget.
void BuildMenuTree(MenuWidget& widget);

class MenuCommands {
public:
    MenuCommands(MenuWidget& widget, core::Settings& settings, sound::MusicController& music,
                 sound::SoundMixer* mixer, MenuHooks hooks)
        : widget_(widget),
          settings_(settings),
          music_(music),
          mixer_(mixer),
          hooks_(std::move(hooks)) {}

    // Sets every check mark and the enabled state of the play items from the
    // settings (after they are read).
    void UpdateAllMarks();
    // One command of the menu; other identifiers are ignored.
    void Dispatch(uint32_t identifier);

private:
    void ApplyMusicVolume();

    MenuWidget& widget_;
    core::Settings& settings_;
    sound::MusicController& music_;
    sound::SoundMixer* mixer_;
    MenuHooks hooks_;
};

}  // namespace menu
