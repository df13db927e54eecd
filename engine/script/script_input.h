#pragma once
// Input rules shared by the story's records, effects and the message window.

#include "engine/core/services.h"

namespace script {

// The skip key (Left) is held.
inline bool SkipKeyHeld(const core::EngineServices& engine) {
    return engine.input.left > 0;
}

// Skipping: the skip mode is on or the skip key is held.
inline bool Skipping(const core::EngineServices& engine) {
    return engine.settings.skipMode || SkipKeyHeld(engine);
}

// A tap, or C or Right pressed once, is latched.
inline bool ConfirmLatched(const core::EngineServices& engine) {
    return engine.input.Confirmed();
}

// Uses up the confirm inputs so that nothing else acts on them this tick.
inline void ClearConfirm(const core::EngineServices& engine) {
    engine.input.tap = false;
    engine.input.keyC = 0;
    engine.input.right = 0;
}

// A sound start's volume: the channel setting scaled by the master volume.
inline int ScaledVolume(const core::EngineServices& engine, int channelVolume) {
    return channelVolume * engine.settings.masterVolume / 100;
}

}  // namespace script
