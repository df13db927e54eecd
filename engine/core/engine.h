#pragma once
// The engine: the application layer on top of the window, device and game
// layers. It takes the window's destroy, paint, close and command messages,
// runs the idle tick and the frame pass, and dispatches the game states to
// the handlers the layers above register.

#include <memory>

#include "engine/core/game_layer.h"
#include "engine/core/settings_store.h"

namespace core {

class Engine : public GameLayer {
public:
    Engine(platform::Backend& backend, std::unique_ptr<platform::GlyphRasterizer> glyphs,
           const std::string& programFolder);
    ~Engine() override;

    intptr_t HandleMessage(const platform::Message& message) override;

    // One pass of the idle loop; 0 when the menu consumed it, else 1.
    int Tick();
    // The frame pass, when a frame is due.
    void RunFrame();
    // Runs the handler of the current game state once.
    void DispatchState() { states.DispatchState(flow); }

    // Loads the images held for the whole run (slots 64..66).
    void LoadStartupImages();

    // Hands the user's settings to the store, when there is one.
    void SaveSettings();
    bool SettingsSaved() const { return settingsSaved_; }
    // Where the settings are kept; nullptr: nowhere.
    SettingsStore* settingsStore = nullptr;

    // Composition: the text layer drawn over the pictures.
    void SetTextLayer(gfx::TextLayer* layer) override { textLayer_ = layer; }
    void RemoveTextLayer(const gfx::TextLayer* layer) override {
        if (textLayer_ == layer) textLayer_ = nullptr;
    }

    // The services the layers above are made with.
    EngineServices Services();

    StateDispatcher states;

private:
    void SortDrawObjects();
    void HandleRemovedAndChanged();

    gfx::TextLayer* textLayer_ = nullptr;
    bool settingsSaved_ = false;
};

}  // namespace core
