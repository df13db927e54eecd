#pragma once
// Input rules shared by the story's records, effects and the message window.

#include "engine/core/game_layer.h"

namespace script {

// The skip key (Left) is held.
inline bool SkipKeyHeld(const core::GameLayer& game) {
    return game.inputState.left > 0;
}

// Skipping: the skip mode is on or the skip key is held.
inline bool Skipping(const core::GameLayer& game) {
    return game.settings.skipMode || SkipKeyHeld(game);
}

// A tap, or C or Right pressed once, is latched.
inline bool ConfirmLatched(const core::GameLayer& game) {
    return game.inputState.Confirmed();
}

// Uses up the confirm inputs so that nothing else acts on them this tick.
inline void ClearConfirm(core::GameLayer& game) {
    game.inputState.tap = false;
    game.inputState.keyC = 0;
    game.inputState.right = 0;
}

// A sound start's volume: the channel setting scaled by the master volume.
inline int ScaledVolume(const core::GameLayer& game, int channelVolume) {
    return channelVolume * game.settings.masterVolume / 100;
}

}  // namespace script
