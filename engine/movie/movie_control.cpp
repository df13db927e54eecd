#include "engine/movie/movie_control.h"

#include "engine/sound/sound_mixer.h"
#include "formats/sjis.h"

namespace movie {

std::string MoviePath(std::string_view folder, std::string_view fileName) {
    const size_t slash = fileName.rfind('/');
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    return std::string(folder) + formats::SjisReplaceExtension(fileName, ".mov");
}

MovieControl::~MovieControl() {
    StopMovie();
}

bool MovieControl::PlayMovieFile(std::string_view folder, std::string_view fileName, int volume,
                                 bool memoryStream, std::string* why) {
    StopMovie();
    auto player = std::make_unique<MoviePlayer>(output_);
    std::string reason;
    if (!player->Open(MoviePath(folder, fileName), volume, memoryStream, &reason)) {
        if (why != nullptr) *why = reason;
        return false;
    }
    player_ = std::move(player);
    return true;
}

bool MovieControl::AdvanceMovie() {
    if (!player_) return false;
    if (player_->Step()) return true;
    EndMovie();
    return false;
}

bool MovieControl::StopMovie() {
    if (!player_) return false;
    EndMovie();
    return true;
}

void MovieControl::EndMovie() {
    // Only the movie's own track: music the movie did not start keeps playing.
    if (player_->HasTrack()) output_.mixer->StopMusic();
    player_.reset();
}

}  // namespace movie
