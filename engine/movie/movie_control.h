#pragma once
// The engine's one movie at a time: started by the title sequence, advanced
// by the tick while it plays, stopped by a tap or a confirm key, by loading
// a saved game or by the return to the title.
//
// Thread safety: game thread only.

#include <memory>
#include <string>
#include <string_view>

#include "engine/core/movie_handler.h"
#include "engine/movie/movie_player.h"

namespace movie {

class MovieControl final : public core::MovieHandler {
public:
    explicit MovieControl(const MovieOutput& output) : output_(output) {}
    // Stops a movie still playing, and its sound track.
    ~MovieControl() override;
    MovieControl(const MovieControl&) = delete;
    MovieControl& operator=(const MovieControl&) = delete;

    // Plays folder (ending in '\') + the part of fileName after its last
    // '/', with its extension made ".mov". A movie already playing stops
    // first. volume: percent for the sound track; memoryStream reads the
    // track whole. False, with no movie playing, when the file is missing or
    // cannot be played (the reason in *why when given).
    bool PlayMovieFile(std::string_view folder, std::string_view fileName, int volume,
                       bool memoryStream, std::string* why = nullptr);

    bool IsMoviePlaying() const override { return player_ != nullptr; }
    bool AdvanceMovie() override;
    bool StopMovie() override;

    // The playing movie, or nullptr.
    const MoviePlayer* Player() const { return player_.get(); }

private:
    void EndMovie();

    MovieOutput output_;
    std::unique_ptr<MoviePlayer> player_;
};

// The device path PlayMovieFile opens.
std::string MoviePath(std::string_view folder, std::string_view fileName);

}  // namespace movie
