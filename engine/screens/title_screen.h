#pragma once
// Game state 1: the title. A menu of the game's modes over the title
// picture: starting the stories (with a choice among the three when the
// further stories are installed), the load page, the scenario select and the
// galleries, quitting, and the bonus starts once every ending was reached.
// A finished story of the second dialect comes back here to go on into the
// opening movie and the main story.

#include <cstdint>

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"
#include "engine/script/choice_plates.h"

namespace script {
class Interpreter;
}

namespace screens {

// The title's item codes.
enum TitleItem : int32_t {
    kItemStart = 0,
    kItemLoad = 1,
    kItemScenarioSelect = 2,
    kItemCgGallery = 3,
    kItemMusicGallery = 4,
    kItemNoAction = 5,
    kItemQuit = 6,
    kItemAllEndings = 7,
    kItemExtras = 10,  // the closed extras row; opens on 2..4
    kItemHiddenSpot = 20,
    kItemNone = 100,
};

class TitleScreen : public core::StateHandler {
public:
    TitleScreen(const core::EngineServices& services, script::Interpreter& story,
                const ScreenHooks& hooks);

    void RunState() override;

    int32_t Selection() const { return selection_; }

private:
    void Build();
    void RunMenu();
    int32_t ItemAfterKeys(int32_t item) const;
    int32_t ItemUnderStylus() const;
    void ChangeSelection(int32_t from, int32_t to);
    void ShowRow(int32_t item, bool highlighted);
    void Confirm();
    void EnterSub(int32_t sub);
    void OfferStories();
    void RunStoryChoice();
    void PlayOpeningMovie();
    // Puts the title away before a story starts.
    void LeaveForStory();
    void StartMainStory(int32_t chainIndex);
    void RunLoadPage();

    core::EngineServices services_;
    script::Interpreter& story_;
    const ScreenHooks& hooks_;
    script::ChoicePlates plates_;
    int32_t selection_ = kItemNone;
    int32_t previous_ = kItemNone;
    bool allEndings_ = false;
};

}  // namespace screens
