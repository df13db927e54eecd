#pragma once
// What the screens reached from the title share: they open with a
// cross-fade from the picture that was on screen, and they leave for the
// title by fading the screen and the music out. Timer 1 measures both.

#include "engine/core/services.h"

namespace screens {

inline constexpr int kScreenTimer = 1;
// Screen pictures come from the first story's data folder.
inline constexpr int kFirstStory = 0;

// Full brightness, no music, nothing shown; then the last composed picture
// is captured into image 0 and shown in front of everything as sprite 0,
// so the screen built next appears behind it as it fades.
void BeginCrossFade(const core::EngineServices& services);
// The capture's alpha falls from 256 to 0 over 1000 ms after timer 1; true
// once it is gone (sprite 0 and image 0 removed, brightness 256).
bool StepCrossFade(const core::EngineServices& services);

// Notes timer 1 and fades the music out over 1000 ms.
void BeginLeaving(const core::EngineServices& services);
// The brightness falls from 256 to 0 over 1500 ms after timer 1; true once
// it reached 0 (the music stopped, the screen cleared).
bool StepLeaving(const core::EngineServices& services);

// Plays music from the first story's music folder, repeating, with the
// music volume; a name that already plays is not restarted.
void PlayScreenMusic(const core::EngineServices& services, std::string_view name);

// The latched tap falls into a design rectangle.
bool TapInside(const core::InputState& input, int32_t x, int32_t y, int32_t width, int32_t height);

// Uses up the confirm inputs (tap, C, Right).
void ClearConfirm(core::InputState& input);

}  // namespace screens
