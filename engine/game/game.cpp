#include "engine/game/game.h"

#include <cstring>

#include "engine/core/engine.h"
#include "engine/menu/engine_menu.h"
#include "engine/movie/movie_control.h"
#include "engine/persist/config_file.h"
#include "engine/persist/save_files.h"
#include "engine/screens/cg_gallery_screen.h"
#include "engine/screens/date_screen.h"
#include "engine/screens/ending_pictures_screen.h"
#include "engine/screens/epilogue_screen.h"
#include "engine/screens/logo_screen.h"
#include "engine/screens/map_screen.h"
#include "engine/screens/music_gallery_screen.h"
#include "engine/screens/scenario_select_screen.h"
#include "engine/screens/staff_roll_screen.h"
#include "engine/screens/title_screen.h"
#include "engine/script/interpreter.h"
#include "engine/sound/sound_mixer.h"
#include "platform/device_file.h"
#include "platform/text_encoding.h"

namespace game {

Game::Game(core::Engine& engine) : engine_(engine) {}

Game::~Game() {
    engine_.menu = nullptr;
    engine_.menuOpen = false;
    engine_.movie = nullptr;
    // Handlers go before what they run, so the engine never calls a dead one.
    engine_.states.Unregister(core::kStateLogo);
    engine_.states.Unregister(core::kStateScript);
    for (int32_t state :
         {core::kStateTitle, core::kStateDate, core::kStateStaffRoll, core::kStateEndingPictures})
        engine_.states.Unregister(state);
    engine_.states.Unregister(core::kStateMap);
    engine_.states.Unregister(core::kStateEpilogue);
    engine_.states.Unregister(core::kStateScenarioSelect);
    engine_.states.Unregister(core::kStateCgGallery);
    engine_.states.Unregister(core::kStateMusicGallery);
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

    const platform::GXDisplayProperties properties = platform::GXGetDisplayProperties();
    menu::MenuHooks hooks;
    const auto closeWindow = [&engine] {
        engine.backend.window->PostMessage({engine.window, platform::kMsgClose, 0, 0});
    };
    hooks.exit = closeWindow;
    // Back to the title: nothing of the story keeps playing or showing, and
    // saving waits for the next story.
    Game* self = game.get();
    hooks.returnToTitle = [self] {
        // The story puts everything away: sounds, pictures, its window and
        // its script; then the game starts again from the logo.
        self->movies_->StopMovie();
        self->story_->ReturnToTitle();
        self->menu_->Widget().EnableSlotMenus(false);
    };
    hooks.messageWindowTrans = [self](int level) {
        if (script::MessageWindow* window = self->story_->Window())
            window->ApplyTransparency(level);
    };
    hooks.loadSlot = [self](int slot) {
        // A loaded game may save again; no movie outlives the change of scene.
        self->movies_->StopMovie();
        if (self->story_->LoadSlot(slot)) self->menu_->Widget().EnableSlotMenus(true);
    };
    hooks.saveSlot = [self](int slot, int kind) {
        if (self->story_->SaveSlot(slot, kind)) self->RefreshSlotMenu();
    };
    hooks.clearCursorKeys = [&engine] { engine.inputState.ClearArming(); };
    hooks.redrawScreen = [&engine] { engine.MarkScreenDirty(); };
    hooks.particlesChanged = [self] { self->story_->ApplyParticleSetting(); };
    hooks.overlayChanged = [self] { self->story_->ApplyPlaceNameSetting(); };
    hooks.mannerModeChanged = [self] { self->story_->ApplyMannerMode(); };
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
    game->RefreshSlotMenu();

    game->screenHooks_.refreshMenu = [self, &engine] {
        self->menu_->Widget().EnableSlotMenus(engine.flow.gameState == core::kStateScript);
    };
    game->screenHooks_.openLoadPage = [&engine] { engine.OpenMenuAt(0); };
    game->screenHooks_.quit = closeWindow;
    game->movies_ = std::make_unique<movie::MovieControl>(
        movie::MovieOutput{engine.clock, engine, properties, engine.mixer.get()});
    engine.movie = game->movies_.get();
    // Movies are looked up in the movie folder; the title sequence's movie
    // reads its sound track whole.
    game->screenHooks_.playMovie = [self, &engine](const std::string& fileName, int volume) {
        return self->movies_->PlayMovieFile(engine.DataFolders()[core::kLocationMovies], fileName,
                                            volume, true);
    };
    game->map_ = std::make_unique<screens::MapScreen>(services, *game->story_, game->screenHooks_);
    game->epilogue_ =
        std::make_unique<screens::EpilogueScreen>(services, *game->story_, game->screenHooks_);
    engine.states.Register(core::kStateMap, *game->map_);
    engine.states.Register(core::kStateEpilogue, *game->epilogue_);

    script::Interpreter& story = *game->story_;
    const screens::ScreenHooks& screenHooks = game->screenHooks_;
    game->title_ = std::make_unique<screens::TitleScreen>(services, story, screenHooks);
    game->date_ = std::make_unique<screens::DateScreen>(services, story, screenHooks);
    game->staffRoll_ = std::make_unique<screens::StaffRollScreen>(services, story, screenHooks);
    game->endingPictures_ =
        std::make_unique<screens::EndingPicturesScreen>(services, story, screenHooks);
    engine.states.Register(core::kStateTitle, *game->title_);
    engine.states.Register(core::kStateDate, *game->date_);
    engine.states.Register(core::kStateStaffRoll, *game->staffRoll_);
    engine.states.Register(core::kStateEndingPictures, *game->endingPictures_);

    game->scenarioSelect_ = std::make_unique<screens::ScenarioSelectScreen>(services, *game->story_,
                                                                            game->screenHooks_);
    game->cgGallery_ =
        std::make_unique<screens::CgGalleryScreen>(services, *game->story_, game->screenHooks_);
    game->musicGallery_ =
        std::make_unique<screens::MusicGalleryScreen>(services, *game->story_, game->screenHooks_);
    engine.states.Register(core::kStateScenarioSelect, *game->scenarioSelect_);
    engine.states.Register(core::kStateCgGallery, *game->cgGallery_);
    engine.states.Register(core::kStateMusicGallery, *game->musicGallery_);

    if (!start.scenario.empty()) {
        std::string name;
        if (!platform::Utf8ToSjis(start.scenario, &name)) {
            *error = "--scenario " + start.scenario + ": the name has no Shift-JIS form";
            return nullptr;
        }
        if (!game->story_->StartScenario(start.dialect, name, error)) return nullptr;
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

void Game::RefreshSlotMenu() {
    static const std::string kUndefined = [] {
        std::string text;
        platform::Utf8ToSjis("---- 未定義 ----", &text);
        return text;
    }();
    static const std::string kWave = [] {
        std::string text;
        platform::Utf8ToSjis("～", &text);
        return text;
    }();
    const std::string& folder = engine_.DataFolders()[core::kLocationSave];
    menu::MenuWidget& widget = menu_->Widget();
    for (int index = 0; index < persist::kSlotCount; ++index) {
        // The header is enough for the label; the rest of the record is
        // only read when the slot is loaded.
        formats::ByteVector bytes(persist::kSlotHeaderSize);
        auto file = platform::DeviceFile::OpenForReading(folder + persist::SlotFileName(index));
        bool used = file && file->ReadAt(0, bytes) && persist::SlotMagicValid(bytes);
        std::string label = kUndefined;
        if (used) {
            // The save time from the month on, and the caption.
            auto field = [&bytes](size_t offset, size_t size) {
                const char* start = reinterpret_cast<const char*>(bytes.data()) + offset;
                return std::string(start, strnlen(start, size));
            };
            label = field(persist::kSaveTimeOffset + 5, persist::kSaveTimeField - 5) + " " + kWave +
                    field(persist::kCaptionOffset, persist::kNameField) + kWave;
        }
        const uint32_t load = menu::kCommandFirstLoad + static_cast<uint32_t>(index);
        const uint32_t save = menu::kCommandFirstSave + static_cast<uint32_t>(index);
        widget.SetLabel(nullptr, load, label);
        widget.SetLabel(nullptr, save, label);
        widget.SetEnabled(nullptr, load, used ? menu::kItemEnabled : 0);
    }
}

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
