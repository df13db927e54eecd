#pragma once
// Game state 55: the picture sequence that ends a story of the third
// dialect. Fourteen pictures from the data set fade in one over the other,
// timed by the position of the epilogue's music (on the engine clock when
// the music is off or missing); then, or at once on a tap, C or Right, the
// story's final scenario for the ending its flags chose.

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"

namespace script {
class Interpreter;
}

namespace screens {

class EpilogueScreen : public core::StateHandler {
public:
    EpilogueScreen(const core::EngineServices& services, script::Interpreter& story,
                   const ScreenHooks& hooks)
        : services_(services), story_(story), hooks_(hooks) {}

    void RunState() override;

private:
    enum class Ending { kWatched, kSkipped };

    void Start();
    void ClearScene();
    // Back to the story with the final scenario; only a watched epilogue
    // records which ending it showed.
    void Finish(Ending ending);

    core::EngineServices services_;
    script::Interpreter& story_;
    const ScreenHooks& hooks_;
    int counter_ = 0;
};

}  // namespace screens
