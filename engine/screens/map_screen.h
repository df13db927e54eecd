#pragma once
// Game state 20: the map between the scenarios of the first story's date
// chain. The reader picks one of five places (keys or the stylus); the
// pick chooses the next scenario from the data set's place table by the
// date and the visit of the day, and the map fades out into it.

#include <string>

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"

namespace script {
class Interpreter;
}

namespace screens {

inline constexpr int kMapPlaceCount = 5;

class MapScreen : public core::StateHandler {
public:
    MapScreen(const core::EngineServices& services, script::Interpreter& story,
              const ScreenHooks& hooks)
        : services_(services), story_(story), hooks_(hooks) {}

    void RunState() override;

private:
    void Build();
    void Interact();
    void Leave();
    void ShowHighlight();
    // The scenario path of a place, empty when the place has none (a day
    // outside the table, or an entry the table leaves out).
    const std::string& PlacePath(int place) const;
    // The shown place whose stylus square holds the landscape screen point
    // (the last match wins), or -1.
    int PlaceAt(int32_t x, int32_t y) const;
    // The next shown place from `from` in steps of `step` (+1 or -1), or -1
    // when no place is shown.
    int StepPlace(int from, int step) const;

    core::EngineServices services_;
    script::Interpreter& story_;
    [[maybe_unused]] const ScreenHooks& hooks_;
    int variant_ = 0;
    // The place table's row, or -1 outside the table; the first column of
    // this visit (0 or 5).
    int row_ = -1;
    int firstColumn_ = 0;
    int selection_ = -1;
    std::string chosen_;
};

}  // namespace screens
