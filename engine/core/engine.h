#pragma once
// The engine: the application layer on top of the window, device and game
// layers. It takes the window's destroy, paint, close and command messages,
// runs the idle tick and the frame pass, and dispatches the game states.

#include <memory>

#include "engine/core/game_layer.h"

namespace script {
class Interpreter;
}

namespace core {

class Engine : public GameLayer {
public:
    // Defined where the story's type is complete, so that users of the engine
    // need not see it.
    Engine(platform::Backend& backend, std::unique_ptr<platform::GlyphRasterizer> glyphs,
           const std::string& programFolder);
    ~Engine() override;

    intptr_t HandleMessage(const platform::Message& message) override;

    // One pass of the idle loop; 0 when the menu consumed it, else 1.
    int Tick();
    // The frame pass, when a frame is due.
    void RunFrame();
    // Runs the handler of gameState once.
    void DispatchState();

    // Loads the images held for the whole run (slots 64..66).
    void LoadStartupImages();

    // The story: its interpreter, effects and message window (made at
    // start-up once the data set's tables are read).
    std::unique_ptr<script::Interpreter> story;

private:
    void RunLogo();
    void SortDrawObjects();
    void HandleRemovedAndChanged();
};

}  // namespace core
