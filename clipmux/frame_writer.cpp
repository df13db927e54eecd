#include "clipmux/frame_writer.h"

#include <cstring>
#include <new>
#include <system_error>
#include <utility>

#include "clipmux/jpeg_codec.h"
#include "platform/host_file_sink.h"

namespace clipmux {

namespace {

constexpr int kSizes[2][2] = {{320, 240}, {160, 120}};

// The movie is written beside its name and moved into place when finished,
// so that a refused or failed movie leaves no file a player would choke on.
formats::ByteSinkOpener StagedOpener() {
    formats::ByteSinkOpener base = platform::HostFileSinkOpener();
    return [base](const std::filesystem::path& path, formats::SinkPlacement, std::string* error) {
        return base(path, formats::SinkPlacement::kStaged, error);
    };
}

}  // namespace

FrameWriter::FrameWriter(MovieJob& job, bool aviFileReader)
    : job_(job),
      width_(kSizes[job.settings_.pictureSize == 1 ? 1 : 0][0]),
      height_(kSizes[job.settings_.pictureSize == 1 ? 1 : 0][1]),
      writer_(StagedOpener()) {
    scaler_ = ScalerForTarget(width_, aviFileReader);
}

FrameWriter::~FrameWriter() {
    EndWorkers();
}

bool FrameWriter::Open(uint32_t frameCount, uint32_t frameRate) {
    job_.framesTotal_.store(static_cast<int>(std::min<uint32_t>(frameCount, INT32_MAX)),
                            std::memory_order_relaxed);
    job_.framesWritten_.store(0, std::memory_order_relaxed);
    if (frameCount == 0) {
        job_.Fail("the source is too short for a single frame at " + std::to_string(frameRate) +
                  " fps; no movie written");
        return false;
    }
    job_.result_.frameRate = frameRate;
    job_.result_.width = static_cast<uint32_t>(width_);
    job_.result_.height = static_cast<uint32_t>(height_);
    formats::MovieFormat format;
    format.frameRate = frameRate;
    format.width = static_cast<uint32_t>(width_);
    format.height = static_cast<uint32_t>(height_);
    std::string why;
    if (!writer_.Open(MovieOutputPath(job_.settings_).string(), frameCount, format, &why)) {
        job_.Fail(why);
        return false;
    }
    if (!job_.settings_.pipelined) return true;
    for (size_t i = 0; i < kQueueDepth + kWorkers; ++i)
        free_.push_back(std::make_unique<Pending>());
    try {
        for (int i = 0; i < kWorkers; ++i) workers_.emplace_back(&FrameWriter::Work, this);
    } catch (const std::system_error&) {
        // No thread to be had: the frames are written on the ones there are,
        // or on this one.
        if (workers_.empty()) free_.clear();
    }
    return true;
}

bool FrameWriter::DecodeChunk(Pending& pending, Tools& tools) {
    if (!tools.decoder) {
        tools.decoder = openDecoder_ ? openDecoder_() : AvCodecPtr();
        tools.packet.reset(av_packet_alloc());
        tools.frame.reset(av_frame_alloc());
        tools.spare.reset(av_frame_alloc());
        if (!tools.decoder || !tools.packet || !tools.frame || !tools.spare) return false;
    }
    AVPacket* packet = tools.packet.get();
    if (av_new_packet(packet, static_cast<int>(pending.jpeg.size())) < 0) return false;
    std::memcpy(packet->data, pending.jpeg.data(), pending.jpeg.size());
    const int sent = avcodec_send_packet(tools.decoder.get(), packet);
    av_packet_unref(packet);
    if (sent < 0 || avcodec_receive_frame(tools.decoder.get(), tools.frame.get()) != 0)
        return false;
    // One picture per chunk, no more.
    const bool single =
        avcodec_receive_frame(tools.decoder.get(), tools.spare.get()) == AVERROR(EAGAIN);
    av_frame_unref(tools.spare.get());
    const bool converted =
        single && tools.converter.Convert(tools.frame.get(), &pending.picture, &pending.why);
    av_frame_unref(tools.frame.get());
    return converted;
}

bool FrameWriter::Make(Pending& pending, Tools& tools) {
    const Picture* source = &pending.picture;
    pending.gaveUp = false;
    if (pending.kind == Kind::kChunk) {
        if (!DecodeChunk(pending, tools)) {
            pending.gaveUp = true;
            return false;
        }
    } else if (pending.kind == Kind::kDecoded) {
        if (!tools.converter.Convert(pending.decoded.get(), &pending.picture, &pending.why)) {
            pending.why += "; no movie written";
            return false;
        }
        av_frame_unref(pending.decoded.get());
    } else if (pending.kind == Kind::kJpeg) {
        if (!DecodeJpegToBgr(pending.jpeg, &pending.picture, &pending.why)) {
            pending.why = "video frame " + std::to_string(pending.sourceFrame) + ": " +
                          pending.why + "; no movie written";
            return false;
        }
    }
    if (!ScalePicture(*source, width_, height_, scaler_, &tools.scaled)) {
        pending.why =
            "frame " + std::to_string(pending.index) + " has no picture of 24 or 32 bits per pixel";
        return false;
    }
    // A frame that fails to encode keeps its place with no bytes.
    if (!EncodeFrameJpeg(tools.scaled, job_.quality_, &tools.encoded, &pending.why))
        tools.encoded.clear();
    if (tools.encoded.size() > formats::kMovieMaxFrameSize) {
        pending.why = "frame " + std::to_string(pending.index) + " takes " +
                      std::to_string(tools.encoded.size()) + " bytes, more than the player's " +
                      std::to_string(formats::kMovieMaxFrameSize) +
                      "; choose a lower picture quality";
        return false;
    }
    std::swap(pending.jpeg, tools.encoded);
    return true;
}

bool FrameWriter::Append(const Pending& pending, std::string* why) {
    if (!writer_.AppendFrame(pending.jpeg, why)) return false;
    job_.framesWritten_.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void FrameWriter::Work() {
    Tools tools;
    std::unique_lock<std::mutex> hold(lock_);
    while (true) {
        changed_.wait(hold, [this] { return closing_ || workerFailed_ || !queued_.empty(); });
        if (closing_ || workerFailed_) return;
        std::unique_ptr<Pending> pending = std::move(queued_.front());
        queued_.pop_front();
        ++working_;
        hold.unlock();
        pending->why.clear();
        try {
            pending->made = Make(*pending, tools);
        } catch (const std::bad_alloc&) {
            pending->made = false;
            pending->why = "out of memory";
        }
        hold.lock();
        // Frames are appended in the order given; after a failed frame,
        // none is.
        changed_.wait(hold,
                      [&] { return closing_ || workerFailed_ || nextAppend_ == pending->index; });
        bool appended = false;
        if (!closing_ && !workerFailed_) {
            std::string why = pending->why;
            if (pending->made) {
                // Only the frame whose turn it is gets here: the file is this
                // worker's alone until the turn passes.
                hold.unlock();
                appended = Append(*pending, &why);
                hold.lock();
            }
            if (appended) {
                ++nextAppend_;
            } else {
                workerFailed_ = true;
                gaveUp_ = pending->gaveUp;
                workerWhy_ = why;
                for (std::unique_ptr<Pending>& waiting : queued_)
                    free_.push_back(std::move(waiting));
                queued_.clear();
            }
        }
        --working_;
        free_.push_back(std::move(pending));
        changed_.notify_all();
    }
}

void FrameWriter::EndWorkers() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        closing_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) {
        if (worker.joinable()) worker.join();
    }
    workers_.clear();
}

bool FrameWriter::Drain() {
    if (workers_.empty()) return true;
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return workerFailed_ || (queued_.empty() && working_ == 0); });
    if (!workerFailed_) return true;
    if (!failureNoted_ && !gaveUp_) {
        failureNoted_ = true;
        job_.Fail(workerWhy_);
    }
    return false;
}

bool FrameWriter::Add(const Picture& source) {
    return Queue(Kind::kPicture, [&source](Pending& slot) {
        slot.picture.width = source.width;
        slot.picture.height = source.height;
        slot.picture.bytesPerPixel = source.bytesPerPixel;
        slot.picture.pixels.assign(source.pixels.begin(), source.pixels.end());
        return true;
    });
}

bool FrameWriter::AddDecoded(const AVFrame* frame) {
    return Queue(Kind::kDecoded, [frame](Pending& slot) {
        if (!slot.decoded) slot.decoded.reset(av_frame_alloc());
        if (slot.decoded) av_frame_unref(slot.decoded.get());
        return slot.decoded && av_frame_ref(slot.decoded.get(), frame) == 0;
    });
}

bool FrameWriter::AddJpeg(formats::ByteSpan jpeg, uint32_t sourceFrame) {
    return Queue(Kind::kJpeg, [jpeg, sourceFrame](Pending& slot) {
        slot.sourceFrame = sourceFrame;
        slot.jpeg.assign(jpeg.begin(), jpeg.end());
        return true;
    });
}

void FrameWriter::DecodeWith(std::function<AvCodecPtr()> openDecoder) {
    openDecoder_ = std::move(openDecoder);
}

bool FrameWriter::AddChunk(formats::ByteSpan chunk) {
    return Queue(Kind::kChunk, [chunk](Pending& slot) {
        slot.jpeg.assign(chunk.begin(), chunk.end());
        return true;
    });
}

bool FrameWriter::GaveUp() {
    std::lock_guard<std::mutex> hold(lock_);
    return gaveUp_;
}

template <typename Fill>
bool FrameWriter::Queue(Kind kind, Fill fill) {
    job_.CheckStop();
    if (workers_.empty()) {
        inline_.kind = kind;
        inline_.index = given_;
        inline_.why.clear();
        if (!fill(inline_)) throw std::bad_alloc();
        ++given_;
        std::string why;
        if (Make(inline_, alone_) && Append(inline_, &why)) return true;
        if (inline_.gaveUp) {
            std::lock_guard<std::mutex> hold(lock_);
            gaveUp_ = workerFailed_ = true;
            return false;
        }
        job_.Fail(inline_.why.empty() ? why : inline_.why);
        return false;
    }
    std::unique_ptr<Pending> slot;
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return workerFailed_ || !free_.empty(); });
        if (workerFailed_) {
            hold.unlock();
            return Drain();
        }
        slot = std::move(free_.back());
        free_.pop_back();
    }
    slot->kind = kind;
    slot->index = given_;
    if (!fill(*slot)) {
        std::lock_guard<std::mutex> hold(lock_);
        free_.push_back(std::move(slot));
        throw std::bad_alloc();
    }
    ++given_;
    {
        std::lock_guard<std::mutex> hold(lock_);
        queued_.push_back(std::move(slot));
    }
    changed_.notify_all();
    return true;
}

void FrameWriter::SourceFailed(const std::string& reason) {
    if (Drain()) job_.Fail(reason);
}

bool FrameWriter::Finish() {
    if (!Drain()) return false;
    EndWorkers();
    std::string why;
    if (!writer_.Finish(&why)) {
        job_.Fail(why);
        return false;
    }
    job_.result_.movieWritten = true;
    return true;
}

}  // namespace clipmux
