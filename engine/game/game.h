#pragma once
// The game as the program runs it: the story's interpreter and the screens,
// made on a running engine with the services it offers, each registered for
// the game states it runs.

#include <memory>
#include <string>

#include "engine/core/startup.h"
#include "engine/screens/screen_hooks.h"

namespace menu {
class EngineMenu;
}
namespace movie {
class MovieControl;
}
namespace script {
class Interpreter;
}
namespace screens {
class LogoScreen;
class TitleScreen;
class DateScreen;
class StaffRollScreen;
class EndingPicturesScreen;

class MapScreen;
class EpilogueScreen;
class ScenarioSelectScreen;
class CgGalleryScreen;
class MusicGalleryScreen;
}  // namespace screens

namespace game {

// A story to start at once instead of the logo.
struct DirectStart {
    std::string scenario;  // UTF-8; empty: the logo as usual
    int dialect = 0;
};

class Game : public core::GameModules {
public:
    // Reads the data set's tables, makes the story and the screens and
    // registers them. nullptr with a message for the user in *error when the
    // tables are malformed or the direct start's scenario cannot be loaded.
    static std::unique_ptr<Game> Create(core::Engine& engine, const DirectStart& start,
                                        std::string* error);
    ~Game() override;

    script::Interpreter& Story() { return *story_; }
    menu::EngineMenu& Menu() { return *menu_; }
    movie::MovieControl& Movies() { return *movies_; }
    const screens::ScreenHooks& ScreenHooks() const { return screenHooks_; }
    // The slot items of the menu from the slot files: the save time and
    // caption of each saved slot, which can then be loaded; "undefined" for
    // the others.
    void RefreshSlotMenu();

private:
    explicit Game(core::Engine& engine);

    core::Engine& engine_;
    // What the screens ask of the menu, the movie player and the window.
    screens::ScreenHooks screenHooks_;
    std::unique_ptr<screens::LogoScreen> logo_;
    std::unique_ptr<script::Interpreter> story_;
    std::unique_ptr<menu::EngineMenu> menu_;
    std::unique_ptr<movie::MovieControl> movies_;
    std::unique_ptr<screens::TitleScreen> title_;
    std::unique_ptr<screens::DateScreen> date_;
    std::unique_ptr<screens::StaffRollScreen> staffRoll_;
    std::unique_ptr<screens::EndingPicturesScreen> endingPictures_;

    std::unique_ptr<screens::MapScreen> map_;
    std::unique_ptr<screens::EpilogueScreen> epilogue_;
    std::unique_ptr<screens::ScenarioSelectScreen> scenarioSelect_;
    std::unique_ptr<screens::CgGalleryScreen> cgGallery_;
    std::unique_ptr<screens::MusicGalleryScreen> musicGallery_;
};

// Runs the engine with the game until it quits; returns the exit code.
int RunGame(platform::Backend& backend, const std::string& programFolder,
            core::EngineObserver* observer = nullptr, const DirectStart& start = {});

}  // namespace game
