#pragma once
// Game state 0: the brand logo fades in over 2 s, holds 3 s and fades out
// over 1 s; a tap, C or Right skips straight to the title.

#include "engine/core/game_flow.h"
#include "engine/core/services.h"

namespace screens {

class LogoScreen : public core::StateHandler {
public:
    explicit LogoScreen(const core::EngineServices& services) : services_(services) {}

    void RunState() override;

private:
    core::EngineServices services_;
};

}  // namespace screens
