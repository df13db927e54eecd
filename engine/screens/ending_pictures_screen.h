#pragma once
// Game state 51: the pictures that close a route, timed by the music of the
// ending (or, with the music off or missing, by the engine clock at the same
// pace): an opening picture, 27 pairs of a route picture and a caption
// picture, three closing pictures and a long fade. Then, or at once on a tap,
// C or Right, the system file is written and the game returns to the title.

#include <cstdint>

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"

namespace script {
class Interpreter;
}

namespace screens {

class EndingPicturesScreen : public core::StateHandler {
public:
    EndingPicturesScreen(const core::EngineServices& services, script::Interpreter& story,
                         const ScreenHooks& hooks);

    void RunState() override;

    // The pair being shown (0..26), then 27.
    int32_t Pair() const { return pair_; }

private:
    void Start();
    void LoadPair();
    void ShowPair();
    void FadeInPair(int32_t position);
    // Loads a closing picture (sub-states 5, 8, 11), shows it at its time
    // and fades it in, then removes what it replaces.
    void RunClosingPicture(int32_t position);
    void Finish();

    core::EngineServices services_;
    script::Interpreter& story_;
    const ScreenHooks& hooks_;
    int32_t pair_ = 0;
    int32_t shownAt_ = 0;  // music position at which the current picture appeared
};

}  // namespace screens
