#pragma once
// Game state 60: replays of single scenarios of the first story that the
// reader has already started, grouped under seven character tabs with pages
// of ten entries. A replay runs with the story's fromScenarioSelect set, so
// that its end comes back here (sub-state 30) to the same tab and page.

#include <array>
#include <cstdint>

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"
#include "engine/screens/screen_support.h"

namespace script {
class Interpreter;
}

namespace screens {

class ScenarioSelectScreen : public core::StateHandler {
public:
    // Item codes of the selection.
    static constexpr int kBackFive = 0;
    static constexpr int kPreviousPage = 1;
    static constexpr int kNextPage = 2;
    static constexpr int kForwardFive = 3;
    static constexpr int kLeave = 4;
    static constexpr int kFirstTab = 5;
    static constexpr int kFirstEntry = 12;
    static constexpr int kItemCount = 22;
    static constexpr int kNone = kNoSelection;

    ScenarioSelectScreen(const core::EngineServices& services, script::Interpreter& story,
                         const ScreenHooks& hooks)
        : services_(services), story_(story), hooks_(hooks) {}

    void RunState() override;

    int Tab() const { return tab_; }
    int Page() const { return page_; }
    int Selection() const { return selection_; }

private:
    enum EntryState { kNoEntry = 0, kLocked = 1, kPlayable = 2 };

    void LoadSheets();
    void BuildPage();
    void Interact();
    void Confirm();
    void Select(int item);
    void ShowItem(int item, bool highlighted);
    // The item under the latched tap; kNone elsewhere.
    int ItemAtTap() const;
    // Up and Down pass over entries that cannot be played.
    bool Selectable(int item) const;
    int LastPage() const;
    void StartReplay();

    core::EngineServices services_;
    script::Interpreter& story_;
    const ScreenHooks& hooks_;
    int selection_ = kNone;
    int tab_ = 0;
    int page_ = 0;
    std::array<EntryState, 10> entries_{};
};

}  // namespace screens
