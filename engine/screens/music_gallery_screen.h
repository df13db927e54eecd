#pragma once
// Game state 80: the game's music pieces in a list on two pages; choosing a
// track plays it, repeating. No music plays until one is chosen.

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"
#include "engine/screens/screen_support.h"

namespace script {
class Interpreter;
}

namespace screens {

class MusicGalleryScreen : public core::StateHandler {
public:
    // Item codes of the selection.
    static constexpr int kFirstPageButton = 0;  // 0 and 1
    static constexpr int kLabel = 2;            // highlighted, never acts
    static constexpr int kLeave = 3;
    static constexpr int kFirstTrack = 4;
    static constexpr int kNone = kNoSelection;

    MusicGalleryScreen(const core::EngineServices& services, script::Interpreter& story,
                       const ScreenHooks& hooks)
        : services_(services), story_(story), hooks_(hooks) {}

    void RunState() override;

    int Page() const { return page_; }
    int Selection() const { return selection_; }

private:
    void BuildList();
    void Interact();
    void Confirm();
    void Select(int item);
    void ShowItem(int item, bool highlighted);
    int ItemAtTap() const;

    core::EngineServices services_;
    script::Interpreter& story_;
    [[maybe_unused]] const ScreenHooks& hooks_;  // nothing to ask of them yet
    int page_ = 0;
    int trackCount_ = 0;
    int selection_ = kNone;
};

}  // namespace screens
