#pragma once
// Game state 10: the date screen between two scenarios of the main story's
// date chain. It shows the day and records one of three choices as a flag
// of the story, then loads the next scenario of the chain.

#include <cstdint>

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"

namespace script {
class Interpreter;
}

namespace screens {

class DateScreen : public core::StateHandler {
public:
    DateScreen(const core::EngineServices& services, script::Interpreter& story,
               const ScreenHooks& hooks);

    void RunState() override;

    // 0..2, or 100 for none.
    int32_t Selection() const { return selection_; }

private:
    void Build();
    void RunChoice();
    void ShowOption(int32_t option, bool highlighted);
    void GoToNextScenario();

    core::EngineServices services_;
    script::Interpreter& story_;
    const ScreenHooks& hooks_;
    int32_t selection_ = 100;
};

}  // namespace screens
