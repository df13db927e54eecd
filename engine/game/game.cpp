#include "engine/game/game.h"

#include "engine/core/engine.h"
#include "engine/menu/engine_menu.h"
#include "engine/screens/logo_screen.h"
#include "engine/script/interpreter.h"
#include "engine/sound/sound_mixer.h"
#include "platform/text_encoding.h"

namespace game {

Game::Game(core::Engine& engine) : engine_(engine) {}

Game::~Game() {
    engine_.menu = nullptr;
    engine_.menuOpen = false;
    // Handlers go before what they run, so the engine never calls a dead one.
    engine_.states.Unregister(core::kStateLogo);
    engine_.states.Unregister(core::kStateScript);
}

std::unique_ptr<Game> Game::Create(core::Engine& engine, const DirectStart& start,
                                   std::string* error) {
    script::DataSetTables tables;
    if (!script::LoadDataSetTables(engine.programFolder, &tables, error)) return nullptr;

    std::unique_ptr<Game> game(new Game(engine));
    core::EngineServices services = engine.Services();
    game->logo_ = std::make_unique<screens::LogoScreen>(services);
    game->story_ = std::make_unique<script::Interpreter>(services, std::move(tables));
    engine.states.Register(core::kStateLogo, *game->logo_);
    engine.states.Register(core::kStateScript, *game->story_);

    const platform::GXDisplayProperties properties = platform::GXGetDisplayProperties();
    menu::MenuHooks hooks;
    hooks.exit = [&engine] {
        engine.backend.window->PostMessage({engine.window, platform::kMsgClose, 0, 0});
    };
    // Back to the title: nothing of the story keeps playing or showing, and
    // saving waits for the next story.
    Game* self = game.get();
    hooks.returnToTitle = [&engine, self] {
        engine.music->Stop();
        if (engine.mixer) engine.mixer->StopAll();
        engine.DeleteAllSprites();
        engine.FreeAllImages();
        engine.flow.GoTo(core::kStateLogo);
        self->menu_->Widget().EnableSlotMenus(false);
        engine.MarkScreenDirty();
    };
    hooks.clearCursorKeys = [&engine] { engine.inputState.ClearArming(); };
    hooks.redrawScreen = [&engine] { engine.MarkScreenDirty(); };
    game->menu_ =
        std::make_unique<menu::EngineMenu>(*engine.backend.window, engine.window, engine.settings,
                                           *engine.music, engine.mixer.get(), std::move(hooks));
    // Saving is offered once a story runs.
    game->menu_->Widget().EnableSlotMenus(!start.scenario.empty());
    game->menu_->SetPainter(std::make_unique<menu::MenuPainter>(
        engine.screen, engine, engine.glyphs.get(), properties.cbxPitch, properties.cbyPitch));
    game->menu_->Widget().statusText = [&engine] {
        return menu::StatusLine(engine.backend.system->Now(),
                                engine.backend.system->BatteryPercent());
    };
    engine.menu = game->menu_.get();

    if (!start.scenario.empty()) {
        std::string name;
        if (!platform::Utf8ToSjis(start.scenario, &name) ||
            !game->story_->StartScenario(start.dialect, name)) {
            *error = "Cannot load scenario " + start.scenario;
            return nullptr;
        }
    }
    return game;
}

int RunGame(platform::Backend& backend, const std::string& programFolder,
            core::EngineObserver* observer, const DirectStart& start) {
    return core::RunEngine(
        backend, programFolder, observer, [&start](core::Engine& engine, std::string* error) {
            return std::unique_ptr<core::GameModules>(Game::Create(engine, start, error));
        });
}

}  // namespace game
