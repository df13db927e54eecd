#pragma once
// Game state 50: the staff roll. Six pictures scroll up the screen in step
// with the music of the roll (or, with the music off or missing, with the
// engine clock at the same pace); then, or at once on a tap, C or Right, the
// ending scenario of the reached route runs.

#include <cstdint>

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"

namespace script {
class Interpreter;
}

namespace screens {

class StaffRollScreen : public core::StateHandler {
public:
    StaffRollScreen(const core::EngineServices& services, script::Interpreter& story,
                    const ScreenHooks& hooks);

    void RunState() override;

private:
    void Start();
    void Scroll();
    void StartEnding();

    core::EngineServices services_;
    script::Interpreter& story_;
    const ScreenHooks& hooks_;
};

}  // namespace screens
