#include "engine/movie/movie_player.h"

#include "engine/movie/frame_drawing.h"
#include "engine/sound/sound_mixer.h"
#include "formats/sjis.h"

namespace movie {

MoviePlayer::MoviePlayer(const MovieOutput& output) : output_(output) {}

MoviePlayer::~MoviePlayer() = default;

bool MoviePlayer::Open(std::string_view path, int volume, bool memoryStream, std::string* why) {
    hasTrack_ = false;
    if (!reader_.Open(path, why)) return false;

    if (uint8_t* device = output_.display.BeginDraw()) {
        ClearScreen(device, output_.properties);
        output_.display.EndDraw();
    }
    Show(0);

    const std::string track = formats::SjisReplaceExtension(path, ".mp3");
    if (output_.mixer != nullptr && sound::DeviceFileExists(track)) {
        const size_t split = formats::SjisFindLastBackslash(track) + 1;
        // A track that will not start leaves the movie to the clock rather
        // than ending it at once.
        hasTrack_ = output_.mixer->PlayMusic(std::string_view(track).substr(split),
                                             std::string_view(track).substr(0, split), volume, 0, 0,
                                             0, memoryStream) == 1;
    }
    current_ = 0;
    startTime_ = output_.clock.Now();
    return true;
}

bool MoviePlayer::Step() {
    const int64_t old = current_;
    const int64_t rate = reader_.Index().header.frameRate;
    int64_t due = -1;
    if (hasTrack_) {
        const int32_t position = output_.mixer->MusicPositionMs();
        if (position >= 0) due = int64_t{position} * rate / 1000;
    } else {
        due = int64_t{static_cast<uint32_t>(output_.clock.Now() - startTime_)} * rate / 1000;
    }
    current_ = due;
    if (due != old) {
        if (due < 0 || due >= int64_t{reader_.Index().FrameCount()}) return false;
        if (!Show(static_cast<uint32_t>(due))) return false;
    }
    output_.clock.Sleep(1);
    return true;
}

bool MoviePlayer::Show(uint32_t frame) {
    const FrameBytes bytes = reader_.GetFrame(frame);
    if (reader_.Failed()) return false;
    const formats::MovieHeader& header = reader_.Index().header;
    if (bytes.data == nullptr ||
        !decoder_.Decode(bytes.data, bytes.size, header.width, header.height)) {
        ++framesSkipped_;
        return true;
    }
    if (uint8_t* device = output_.display.BeginDraw()) {
        DrawFrame({decoder_.FrameBuffer(), header.width, header.height}, device,
                  output_.properties);
        output_.display.EndDraw();
    }
    ++framesShown_;
    return true;
}

}  // namespace movie
