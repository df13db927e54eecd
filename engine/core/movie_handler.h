#pragma once
// The movie player as the core drives it; the game assembly installs it.
// While a movie plays the tick does nothing but advance it: no game state
// runs and nothing is composed.
//
// Thread safety: game thread only.

namespace core {

class MovieHandler {
public:
    virtual ~MovieHandler() = default;
    virtual bool IsMoviePlaying() const = 0;
    // Shows the frame now due; false when no movie plays or this call ended it.
    virtual bool AdvanceMovie() = 0;
    // Ends the movie and its sound track; false when none played.
    virtual bool StopMovie() = 0;
};

}  // namespace core
