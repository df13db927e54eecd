#pragma once
// The game states and who runs them. The engine knows no screen and no
// story: the layers above register a handler for each state they run, and
// the frame pass calls the handler of the current state once.

#include <cstdint>
#include <map>

namespace core {

enum GameState : int32_t {
    kStateLogo = 0,
    kStateTitle = 1,
    kStateDate = 10,
    kStateMap = 20,
    kStateStaffRoll = 50,
    kStateEndingPictures = 51,
    kStateEpilogue = 55,
    kStateScenarioSelect = 60,
    kStateCgGallery = 70,
    kStateMusicGallery = 80,
    kStateScript = 99,
};

// The state machine's position, shared by every state handler.
struct GameFlow {
    int32_t gameState = kStateLogo;
    int32_t subState = 0;
    // The story's dialect (0..2); the screens read it too.
    int32_t scriptDialect = 0;

    // Enters a state at its first sub-state.
    void GoTo(int32_t state) {
        gameState = state;
        subState = 0;
    }
};

class StateHandler {
public:
    virtual ~StateHandler() = default;
    // One frame's worth of the state.
    virtual void RunState() = 0;
};

class StateDispatcher {
public:
    // The handler runs while the game is in the state; it must stay alive
    // until it is unregistered or the dispatcher is gone. A later
    // registration for the same state replaces the earlier one.
    void Register(int32_t state, StateHandler& handler) { handlers_[state] = &handler; }
    void Unregister(int32_t state) { handlers_.erase(state); }

    // Runs the current state's handler once; a state nobody handles runs
    // nothing.
    void DispatchState(const GameFlow& flow) {
        auto found = handlers_.find(flow.gameState);
        if (found != handlers_.end()) found->second->RunState();
    }

private:
    std::map<int32_t, StateHandler*> handlers_;
};

}  // namespace core
