#include "clipmux/frame_writer.h"

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

FrameWriter::~FrameWriter() = default;

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
    return true;
}

bool FrameWriter::Add(const Picture& source) {
    job_.CheckStop();
    if (!ScalePicture(source, width_, height_, scaler_, &scaled_)) {
        job_.Fail("frame " + std::to_string(index_) + " has no picture of 24 or 32 bits per pixel");
        return false;
    }
    std::string why;
    // A frame that fails to encode keeps its place with no bytes.
    if (!EncodeFrameJpeg(scaled_, job_.quality_, &jpeg_, &why)) jpeg_.clear();
    if (jpeg_.size() > formats::kMovieMaxFrameSize) {
        job_.Fail("frame " + std::to_string(index_) + " takes " + std::to_string(jpeg_.size()) +
                  " bytes, more than the player's " + std::to_string(formats::kMovieMaxFrameSize) +
                  "; choose a lower picture quality");
        return false;
    }
    if (!writer_.AppendFrame(jpeg_, &why)) {
        job_.Fail(why);
        return false;
    }
    ++index_;
    job_.framesWritten_.fetch_add(1, std::memory_order_relaxed);
    return true;
}

bool FrameWriter::Finish() {
    std::string why;
    if (!writer_.Finish(&why)) {
        job_.Fail(why);
        return false;
    }
    job_.result_.movieWritten = true;
    return true;
}

}  // namespace clipmux
