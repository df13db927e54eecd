#pragma once
// What the game screens share: taps on design rectangles, the screens'
// music, brightness ramps, and putting every picture away.
//
// Game thread only.

#include <cstdint>
#include <functional>
#include <string_view>

#include "engine/core/services.h"

namespace screens {

// The design rectangle (x, y, width, height) holds the stylus position.
bool StylusIn(const core::InputState& input, int32_t x, int32_t y, int32_t width, int32_t height);

// Uses up one press of a key counter: true when it was pressed exactly once.
bool TakePress(int32_t& counter);

// The screens' lists: selection 100 is none. Takes one press of Up or Down
// from the input and returns the item it moves to among itemCount items,
// wrapping, passing over items that are not selectable (Up from none or
// from the first goes to the last, Down from none to the first); with no
// press, or no selectable item at all, the selection stays.
inline constexpr int kNoSelection = 100;
int StepSelection(core::InputState& input, int selection, int itemCount,
                  const std::function<bool(int)>& selectable = {});

// Uses up the confirm inputs (a tap, C, Right) so that nothing else acts on
// them this tick.
void ClearConfirm(core::InputState& input);

// Plays a piece of the main story's music folder with the music volume
// setting; repeat plays it in a loop.
enum class MusicRepeat { kOnce, kLoop };
void PlayScreenMusic(const core::EngineServices& services, std::string_view name,
                     MusicRepeat repeat);

// 0..256 over `duration` ms (256 from then on); the fade-out is its mirror.
int32_t RampUp(uint32_t elapsed, uint32_t duration);
inline int32_t RampDown(uint32_t elapsed, uint32_t duration) {
    return 256 - RampUp(elapsed, duration);
}

// Deletes every sprite and frees image slots 0..63.
void ClearPictures(const core::EngineServices& services);

// Removes one sprite and the image of the same number.
void RemovePicture(const core::EngineServices& services, int slot);

// Whether the further stories' pictures are installed: their image archive
// is where the resource location table says.
bool FurtherStoriesInstalled(const core::EngineServices& services);

}  // namespace screens
