#pragma once
// The picture half of every path: each source frame is scaled to the movie's
// size, JPEG-encoded and appended to the ".mov", whose header and index are
// rewritten at the end. A movie the handheld's player could not play (no
// frame, or a frame over its 64 KiB read slot) is refused: nothing is left
// at the output path.
//
// A frame may be handed over as a 24-bit picture, as a frame still in its
// decoder's pixel format, or as a JPEG image still to be decoded: the
// conversion to 24 bits is then part of the frame's work. That work runs on
// worker threads of the writer's own (one frame each, several frames at
// once) while the job's thread reads the next; frames are appended in order
// whichever worker finishes first. Failures stay in frame order: a frame the
// workers refused is reported before anything the source failed at later.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "clipmux/av_support.h"
#include "clipmux/box_scaler.h"
#include "clipmux/movie_job.h"
#include "formats/movie_container.h"

namespace clipmux {

class FrameWriter {
public:
    FrameWriter(MovieJob& job, bool aviFileReader);
    // Ends the workers (dropping frames still waiting) and leaves no movie.
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Creates the movie for frameCount frames at frameRate; false (with the
    // job's failure noted) when there is nothing the player could show.
    bool Open(uint32_t frameCount, uint32_t frameRate);
    // Each takes the next frame; false, with the job's failure noted, once a
    // frame given earlier failed. A 24-bit picture (copied).
    bool Add(const Picture& source);
    // A decoded frame, referenced rather than copied; a failure to convert
    // it is the job's failure "REASON; no movie written".
    bool AddDecoded(const AVFrame* frame);
    // A JPEG image (copied) of source frame `sourceFrame`, decoded by
    // DecodeJpegToBgr; a failure is "video frame N: REASON; no movie written".
    bool AddJpeg(formats::ByteSpan jpeg, uint32_t sourceFrame);
    // A chunk of a stream whose chunks decode each on its own (see
    // VideoDecoder::ChunksStandAlone), decoded by the workers with decoders
    // `openDecoder` makes, one each. A chunk that does not give exactly one
    // picture makes the writer give up: nothing is noted, GaveUp is true and
    // the frames are to be made again some other way.
    void DecodeWith(std::function<AvCodecPtr()> openDecoder);
    bool AddChunk(formats::ByteSpan chunk);
    bool GaveUp();
    // The source cannot give the next frame: waits for the frames given so
    // far and notes the first failure, theirs or this reason.
    void SourceFailed(const std::string& reason);
    // Waits for every frame, writes the header and index and puts the file
    // in place.
    bool Finish();

private:
    enum class Kind { kPicture, kDecoded, kJpeg, kChunk };
    // A frame given and not yet appended, with what its worker made of it.
    struct Pending {
        Kind kind = Kind::kPicture;
        uint32_t index = 0;        // in the movie
        uint32_t sourceFrame = 0;  // for kJpeg's messages
        Picture picture;           // given, or converted from the two below
        AvFramePtr decoded;
        formats::ByteVector jpeg;  // given (or the chunk); then the encoded frame
        bool made = false;
        bool gaveUp = false;
        std::string why;
    };
    // What one worker keeps from frame to frame.
    struct Tools {
        AvCodecPtr decoder;
        AvPacketPtr packet;
        AvFramePtr frame;
        AvFramePtr spare;
        FrameConverter converter;
        Picture scaled;
        formats::ByteVector encoded;
    };

    // Converts, scales and encodes one frame into pending.jpeg; false with
    // pending.why (or pending.gaveUp).
    bool Make(Pending& pending, Tools& tools);
    // Decodes a chunk into pending.picture; false when it gave no single
    // picture.
    bool DecodeChunk(Pending& pending, Tools& tools);
    // Appends a made frame; false with *why.
    bool Append(const Pending& pending, std::string* why);
    void Work();
    // Hands a frame over: filled in by `fill` on a free slot.
    template <typename Fill>
    bool Queue(Kind kind, Fill fill);
    void EndWorkers();
    // Waits until the workers have appended every frame given; false (and
    // the workers' failure noted) when one failed.
    bool Drain();

    static constexpr int kWorkers = 2;
    static constexpr size_t kQueueDepth = 3;

    MovieJob& job_;
    ScalerKind scaler_;
    int width_;
    int height_;
    formats::MovieWriter writer_;
    uint32_t given_ = 0;  // frames handed over so far
    std::function<AvCodecPtr()> openDecoder_;
    // Tools and a slot for a movie written without workers.
    Tools alone_;
    Pending inline_;

    // The pipeline; all below lock_ is guarded by it.
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<Pending>> free_;
    std::deque<std::unique_ptr<Pending>> queued_;
    int working_ = 0;          // frames the workers hold
    uint32_t nextAppend_ = 0;  // the frame whose turn it is to be appended
    bool closing_ = false;
    bool workerFailed_ = false;
    bool gaveUp_ = false;  // the failure is a chunk that gave no single picture
    bool failureNoted_ = false;
    std::string workerWhy_;
    std::vector<std::thread> workers_;
};

}  // namespace clipmux
