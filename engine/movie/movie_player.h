#pragma once
// One playing movie: its frames read ahead by the stream reader, decoded by
// the frame decoder and drawn straight into the display memory, paced by
// its MP3 sound track on the music channel when there is one beside it,
// else by the engine clock at the header's frame rate. Late frames are
// skipped: each step shows only the frame now due.
//
// Thread safety: game thread only (the reader's thread is its own).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/engine_clock.h"
#include "engine/gfx/frame_composer.h"
#include "engine/movie/frame_decoder.h"
#include "engine/movie/movie_stream_reader.h"
#include "platform/gx.h"

namespace sound {
class SoundMixer;
}

namespace movie {

// What a movie plays on; the engine outlives every player.
struct MovieOutput {
    core::EngineClock& clock;
    gfx::PresentTarget& display;
    platform::GXDisplayProperties properties;
    // The sound track's mixer; none plays every movie by the clock.
    sound::SoundMixer* mixer = nullptr;
};

class MoviePlayer {
public:
    explicit MoviePlayer(const MovieOutput& output);
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // Opens the movie at the device path, blacks the screen, shows frame 0
    // and starts the sound track (the path's ".mp3") when there is one, at
    // volume percent; memoryStream reads the track whole. False with the
    // reason when the movie is missing or cannot be played.
    bool Open(std::string_view path, int volume, bool memoryStream, std::string* why);
    // Shows the frame now due; false once the movie is over.
    bool Step();

    bool HasTrack() const { return hasTrack_; }
    int64_t CurrentFrame() const { return current_; }
    // Frames decoded and drawn so far.
    uint32_t FramesShown() const { return framesShown_; }
    // Frames given up: empty, or not decodable; the previous picture stays.
    uint32_t FramesSkipped() const { return framesSkipped_; }
    const MovieStreamReader& Reader() const { return reader_; }

private:
    // False when the reader can no longer deliver frames.
    bool Show(uint32_t frame);

    MovieOutput output_;
    FrameDecoder decoder_;
    MovieStreamReader reader_;
    int64_t current_ = 0;
    uint32_t startTime_ = 0;
    bool hasTrack_ = false;
    uint32_t framesShown_ = 0;
    uint32_t framesSkipped_ = 0;
};

}  // namespace movie
