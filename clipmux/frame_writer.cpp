#include "clipmux/frame_writer.h"

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
    EndWorker();
}

bool FrameWriter::Open(uint32_t frameCount, uint32_t frameRate) {
    job_.framesTotal_.store(static_cast<int>(std::min<uint32_t>(frameCount, INT32_MAX)),
                            std::memory_order_relaxed);
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
    for (size_t i = 0; i < kQueueDepth; ++i) free_.push_back(std::make_unique<Picture>());
    try {
        worker_ = std::thread(&FrameWriter::Work, this);
    } catch (const std::system_error&) {
        // No thread to be had: the frames are written on this one.
        free_.clear();
    }
    return true;
}

bool FrameWriter::Write(const Picture& source, std::string* why) {
    if (!ScalePicture(source, width_, height_, scaler_, &scaled_)) {
        *why = "frame " + std::to_string(index_) + " has no picture of 24 or 32 bits per pixel";
        return false;
    }
    // A frame that fails to encode keeps its place with no bytes.
    if (!EncodeFrameJpeg(scaled_, job_.quality_, &jpeg_, why)) jpeg_.clear();
    if (jpeg_.size() > formats::kMovieMaxFrameSize) {
        *why = "frame " + std::to_string(index_) + " takes " + std::to_string(jpeg_.size()) +
               " bytes, more than the player's " + std::to_string(formats::kMovieMaxFrameSize) +
               "; choose a lower picture quality";
        return false;
    }
    if (!writer_.AppendFrame(jpeg_, why)) return false;
    ++index_;
    job_.framesWritten_.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void FrameWriter::Work() {
    std::unique_lock<std::mutex> hold(lock_);
    while (true) {
        changed_.wait(hold, [this] { return closing_ || !queued_.empty(); });
        if (closing_) return;
        std::unique_ptr<Picture> picture = std::move(queued_.front());
        queued_.pop_front();
        working_ = true;
        hold.unlock();
        std::string why;
        bool written = false;
        try {
            written = Write(*picture, &why);
        } catch (const std::bad_alloc&) {
            why = "out of memory";
        }
        hold.lock();
        working_ = false;
        free_.push_back(std::move(picture));
        if (!written) {
            // The frames after a failed one are never written.
            workerFailed_ = true;
            workerWhy_ = why;
            for (std::unique_ptr<Picture>& waiting : queued_) free_.push_back(std::move(waiting));
            queued_.clear();
        }
        changed_.notify_all();
        if (!written) return;
    }
}

void FrameWriter::EndWorker() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        closing_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

bool FrameWriter::Drain() {
    if (!worker_.joinable()) return true;
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return workerFailed_ || (queued_.empty() && !working_); });
    if (!workerFailed_) return true;
    if (!failureNoted_) {
        failureNoted_ = true;
        job_.Fail(workerWhy_);
    }
    return false;
}

bool FrameWriter::Add(const Picture& source) {
    return Queue(&source, nullptr);
}

bool FrameWriter::Take(Picture* source) {
    return Queue(nullptr, source);
}

bool FrameWriter::Queue(const Picture* copy, Picture* take) {
    job_.CheckStop();
    const Picture& source = copy != nullptr ? *copy : *take;
    if (!worker_.joinable()) {
        std::string why;
        if (Write(source, &why)) return true;
        job_.Fail(why);
        return false;
    }
    std::unique_ptr<Picture> slot;
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
    if (take != nullptr) {
        std::swap(*slot, *take);
    } else {
        slot->width = source.width;
        slot->height = source.height;
        slot->bytesPerPixel = source.bytesPerPixel;
        slot->pixels.assign(source.pixels.begin(), source.pixels.end());
    }
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
    EndWorker();
    std::string why;
    if (!writer_.Finish(&why)) {
        job_.Fail(why);
        return false;
    }
    job_.result_.movieWritten = true;
    return true;
}

}  // namespace clipmux
