#pragma once
// The picture half of every path: each source frame is scaled to the movie's
// size, JPEG-encoded and appended to the ".mov", whose header and index are
// rewritten at the end. A movie the handheld's player could not play (no
// frame, or a frame over its 64 KiB read slot) is refused: nothing is left
// at the output path.
//
// Scaling and encoding run on a worker thread of the writer's own while the
// job's thread decodes the next frames; a few copied source frames wait in
// between, taken in order. Failures stay in frame order: a frame the worker
// refused is reported before anything the source failed at later.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "clipmux/box_scaler.h"
#include "clipmux/movie_job.h"
#include "formats/movie_container.h"

namespace clipmux {

class FrameWriter {
public:
    FrameWriter(MovieJob& job, bool aviFileReader);
    // Ends the worker (dropping frames still waiting) and leaves no movie.
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Creates the movie for frameCount frames at frameRate; false (with the
    // job's failure noted) when there is nothing the player could show.
    bool Open(uint32_t frameCount, uint32_t frameRate);
    // Takes the next frame (a copy when pipelined); false, with the job's
    // failure noted, once a frame given earlier failed.
    bool Add(const Picture& source);
    // As Add, but takes the frame's pixels instead of copying them: *source
    // is left with a spare picture of no particular content.
    bool Take(Picture* source);
    // The source cannot give the next frame: waits for the frames given so
    // far and notes the first failure, theirs or this reason.
    void SourceFailed(const std::string& reason);
    // Waits for every frame, writes the header and index and puts the file
    // in place.
    bool Finish();

private:
    // Scales, encodes and appends one frame; false with *why.
    bool Write(const Picture& source, std::string* why);
    void Work();
    // Queues a frame: copied from `copy`, or swapped out of `take`.
    bool Queue(const Picture* copy, Picture* take);
    void EndWorker();
    // Waits until the worker has taken every frame given; false (and the
    // worker's failure noted) when one failed.
    bool Drain();

    static constexpr size_t kQueueDepth = 3;

    MovieJob& job_;
    ScalerKind scaler_;
    int width_;
    int height_;
    formats::MovieWriter writer_;
    Picture scaled_;
    formats::ByteVector jpeg_;
    uint32_t index_ = 0;

    // The pipeline; all below lock_ is guarded by it.
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<Picture>> free_;
    std::deque<std::unique_ptr<Picture>> queued_;
    bool working_ = false;  // the worker holds a frame
    bool closing_ = false;
    bool workerFailed_ = false;
    bool failureNoted_ = false;
    std::string workerWhy_;
    std::thread worker_;
};

}  // namespace clipmux
