#include "engine/core/engine.h"

#include "platform/device_file.h"

namespace core {

Engine::Engine(platform::Backend& backend, std::unique_ptr<platform::GlyphRasterizer> glyphs,
               const std::string& programFolder)
    : GameLayer(backend, std::move(glyphs), programFolder) {}

Engine::~Engine() = default;

intptr_t Engine::HandleMessage(const platform::Message& message) {
    switch (message.code) {
        case platform::kMsgDestroy:
            SaveSettings();
            // A program stopped by a failure says so in its exit code.
            backend.window->PostMessage({window, platform::kMsgQuit, errorWord != 0 ? 1u : 0u, 0});
            return 0;
        case platform::kMsgPaint:
            // The device keeps its picture; the next present repaints changes.
            return 0;
        case platform::kMsgClose:
            backend.window->DestroyMainWindow();
            return 0;
        case platform::kMsgCommand:
            if (menu != nullptr) menu->Command(message.wParam & 0xFFFF);
            return 0;
        default:
            return GameLayer::HandleMessage(message);
    }
}

int Engine::Tick() {
    if (IsMenuOpen()) {
        input.LatchInput();
        if (menu == nullptr || !menu->HandleInput(inputState)) menuOpen = false;
        clock.Sleep(1);
        return 0;
    }
    if (movie != nullptr && movie->IsMoviePlaying()) {
        input.LatchInput();
        bool ended = false;
        if (inputState.Confirmed()) {
            movie->StopMovie();
            // The press that ends the movie does not also confirm what follows.
            inputState.tap = false;
            inputState.keyC = 0;
            inputState.right = 0;
            ended = true;
        } else {
            ended = !movie->AdvanceMovie();
        }
        // The movie drew straight into the device: the game's picture comes back whole.
        if (ended) MarkScreenDirty();
        return 1;
    }
    if (frameTimer.FrameDue(clock)) {
        input.LatchInput();
        RunFrame();
        dirty.Clear();
        return 1;
    }
    clock.Sleep(1);
    return 1;
}

void Engine::RunFrame() {
    composer.ResetLevels();
    DispatchState();
    if (errorWord != 0) {
        backend.window->DestroyMainWindow();
        return;
    }
    SortDrawObjects();
    HandleRemovedAndChanged();
    composer.globalBrightness = Brightness();
    gfx::TextDrawSettings textSettings{settings.transMode, settings.messageShadow != 0};
    if (composer.ComposeFrame(screen, dirty, images, textLayer_, messageFont.get(), textSettings)) {
        composer.PresentFrame(screen, dirty, ShakeX(), ShakeY(), *this);
    }
    dirty.Clear();
}

void Engine::SortDrawObjects() {
    clock.Freeze();
    uint32_t now = clock.Now();
    for (auto& sprite : sprites) {
        if (!sprite) continue;
        if (!sprite->Update(now)) continue;  // flagged for removal
        if (sprite->Object().visible) composer.Insert(&sprite->Object());
    }
    clock.Unfreeze();
}

void Engine::HandleRemovedAndChanged() {
    for (auto& sprite : sprites) {
        if (!sprite) continue;
        gfx::DrawObject& object = sprite->Object();
        if (object.remove) {
            composer.AddChangedRects(object, dirty);
            sprite.reset();
        }
    }
    for (auto& sprite : sprites) {
        if (sprite && sprite->Object().changed) composer.AddChangedRects(sprite->Object(), dirty);
    }
}

void Engine::LoadStartupImages() {
    LoadImageSlot(64, 0, "GameData\\system\\KEY_WAIT.rbp", gfx::Keying::kKeyed);
    LoadImageSlot(65, 0, "GameData\\system\\map_name.rbp", gfx::Keying::kKeyed);
    // The wait icon of the further stories, when their data is installed.
    if (platform::DeviceFile::OpenForReading(dataFolders[kLocationImages1])) {
        LoadImageSlot(66, 1, "GameData\\system\\KEY_WAIT.rbp", gfx::Keying::kKeyed);
    }
}

void Engine::SaveSettings() {
    if (settingsStore == nullptr) return;
    settingsStore->Save(programFolder, settings);
    settingsSaved_ = true;
}

EngineServices Engine::Services() {
    return EngineServices{*this, *this,    inputState, *this,       *this,
                          *this, settings, flow,       glyphs.get()};
}

}  // namespace core
