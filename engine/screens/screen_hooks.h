#pragma once
// What the screens need of the parts beside them (the menu, the movie
// player, the main window), which they do not reach themselves: the game
// assembly fills these. An empty hook does nothing (a movie hook that is
// empty plays nothing, as if the file were absent).
//
// Thread safety: game thread only.

#include <functional>
#include <string>

namespace screens {

struct ScreenHooks {
    // The menu's items for the game state now set: its save page is offered
    // only while a story runs.
    std::function<void()> refreshMenu;
    // Opens the menu directly at its load page.
    std::function<void()> openLoadPage;
    // Closes the main window: the program ends.
    std::function<void()> quit;
    // Plays a movie file (its name in the movie folder) with the volume
    // given in percent; false when it does not exist or cannot play. While
    // a movie plays, no game state runs.
    std::function<bool(const std::string& fileName, int volume)> playMovie;
};

}  // namespace screens
