#include "engine/game/game.h"

#include "engine/core/engine.h"
#include "engine/persist/config_file.h"
#include "engine/screens/logo_screen.h"
#include "engine/script/interpreter.h"
#include "platform/text_encoding.h"

namespace game {

Game::Game(core::Engine& engine) : engine_(engine) {}

Game::~Game() {
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
    // What earlier runs left: the system flags, the seen names, the read flags.
    game->story_->ReadSystemFile();
    game->story_->ReadSeenData();

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

namespace {

// The settings are saved when the window closes, and the system flags and
// the seen names and messages with them, so that one close keeps it all.
class GameSettingsStore : public persist::ConfigFile {
public:
    void Save(const std::string& programFolder, const core::Settings& settings) override {
        persist::ConfigFile::Save(programFolder, settings);
        if (story != nullptr) story->WriteSystemFile();
    }
    script::Interpreter* story = nullptr;
};

}  // namespace

int RunGame(platform::Backend& backend, const std::string& programFolder,
            core::EngineObserver* observer, const DirectStart& start) {
    GameSettingsStore config;
    return core::RunEngine(
        backend, programFolder, observer,
        [&start, &config](core::Engine& engine, std::string* error) {
            std::unique_ptr<Game> game = Game::Create(engine, start, error);
            if (game) config.story = &game->Story();
            return std::unique_ptr<core::GameModules>(std::move(game));
        },
        &config);
}

}  // namespace game
