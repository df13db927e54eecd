#pragma once
// The picture half of every path: each source frame is scaled to the movie's
// size, JPEG-encoded and appended to the ".mov", whose header and index are
// rewritten at the end. A movie the handheld's player could not play (no
// frame, or a frame over its 64 KiB read slot) is refused: nothing is left
// at the output path.

#include <memory>
#include <string>

#include "clipmux/box_scaler.h"
#include "clipmux/movie_job.h"
#include "formats/movie_container.h"

namespace clipmux {

class FrameWriter {
public:
    FrameWriter(MovieJob& job, bool aviFileReader);
    ~FrameWriter();

    // Creates the movie for frameCount frames at frameRate; false (with the
    // job's failure noted) when there is nothing the player could show.
    bool Open(uint32_t frameCount, uint32_t frameRate);
    // Scales, encodes and appends the next frame.
    bool Add(const Picture& source);
    // Writes the header and index and puts the file in place.
    bool Finish();

private:
    MovieJob& job_;
    ScalerKind scaler_;
    int width_;
    int height_;
    formats::MovieWriter writer_;
    Picture scaled_;
    formats::ByteVector jpeg_;
    uint32_t index_ = 0;
};

}  // namespace clipmux
