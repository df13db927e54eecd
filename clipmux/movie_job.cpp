#include "clipmux/movie_job.h"

#include <limits>
#include <system_error>
#include <utility>

#include "clipmux/jpeg_codec.h"
#include "common/mp3_encoder.h"
#include "formats/sjis.h"
#include "platform/host_files.h"

namespace clipmux {

namespace fs = std::filesystem;

namespace {

// The file name with the text from its last '.' replaced (or the extension
// added when it has none).
std::string ReplaceExtension(const std::string& name, const char* extension) {
    const size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

}  // namespace

InputKind InputKindForPath(const fs::path& path) {
    const std::string name = path.filename().string();
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && formats::SjisEqualNoCase(name.substr(dot), ".mj"))
        return InputKind::kMj;
    return InputKind::kAvi;
}

fs::path MovieOutputPath(const MovieSettings& settings) {
    return settings.outputFolder / ReplaceExtension(settings.inputPath.filename().string(), ".mov");
}

fs::path SoundOutputPath(const MovieSettings& settings) {
    return settings.outputFolder / ReplaceExtension(settings.inputPath.filename().string(), ".mp3");
}

MovieJob::MovieJob(MovieSettings settings) : settings_(std::move(settings)) {}

MovieJob::~MovieJob() {
    // The body reads this object's members: it must end before they go.
    if (IsRunning()) {
        Stop();
        try {
            Wait();
        } catch (const std::exception&) {
            // Being destroyed: no one is left to tell.
        }
    }
}

void MovieJob::Run() {
    quality_ = QualityForChoice(settings_.qualityIndex);
    try {
        if (settings_.inputKind == InputKind::kMj) {
            RunMjPath();
        } else {
            RunAviPath();
        }
    } catch (const platform::CExKilledByCtrl&) {
        Fail("stopped");
        MarkDone();
        throw;
    } catch (const std::bad_alloc&) {
        Fail("out of memory");
    }
    MarkDone();
}

void MovieJob::MarkDone() {
    {
        std::lock_guard<std::mutex> hold(doneLock_);
        done_.store(true, std::memory_order_release);
    }
    doneChanged_.notify_all();
}

bool MovieJob::WaitDone(std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> hold(doneLock_);
    return doneChanged_.wait_for(hold, limit, [this] { return IsDone(); });
}

MovieJob::SoundWorker::SoundWorker(MovieJob& job, std::function<void(SoundTrack*)> make)
    : make_(std::move(make)) {
    if (!job.settings_.pipelined) return;
    try {
        thread_ = std::thread(&SoundWorker::Make, this);
    } catch (const std::system_error&) {
        // No thread to be had: the sound follows the frames.
    }
}

MovieJob::SoundWorker::~SoundWorker() {
    if (thread_.joinable()) thread_.join();
}

void MovieJob::SoundWorker::Make() {
    try {
        make_(&track_);
    } catch (const std::bad_alloc&) {
        track_.Fail("out of memory");
    } catch (const platform::CExKilledByCtrl&) {
        // The job's thread sees the stop as well and reports it.
    }
}

MovieJob::SoundTrack& MovieJob::SoundWorker::Track() {
    if (thread_.joinable()) {
        thread_.join();
        made_ = true;
    }
    if (!made_) {
        made_ = true;
        make_(&track_);
    }
    return track_;
}

void MovieJob::EncodeSoundTrack(const common::WaveFormat* format, const uint8_t* pcm,
                                uint64_t bytes, uint32_t bits, uint32_t rate, uint32_t channels,
                                uint32_t shortLimit, SoundTrack* track) const {
    if (bytes == 0) {
        track->Note("the sound track is empty; no .mp3 written");
        return;
    }
    if (bytes > std::numeric_limits<uint32_t>::max()) {
        track->Fail("the sound track is larger than 4 GiB of PCM; no .mp3 written");
        return;
    }
    common::Mp3Encoder encoder(settings_.bitrateIndex, settings_.frequencyIndex, settings_.stereo,
                               shortLimit);
    if (!encoder.HasModule()) {
        track->Fail(std::string("the MP3 encoder module ") + common::Mp3Encoder::kModuleName +
                    " was not found; no .mp3 written");
        return;
    }
    common::PcmDescription description{};
    description.byteCount = static_cast<uint32_t>(bytes);
    description.bitsPerSample = bits;
    description.sampleRate = rate;
    description.channels = channels;
    uint32_t size = static_cast<uint32_t>(bytes);
    track->encoded = encoder.Encode(format, pcm, &description, &size);
    if (!track->encoded) {
        track->Fail("the sound track could not be encoded as MP3; no .mp3 written");
        return;
    }
    track->size = size;
    track->shortSound = format != nullptr && bytes <= shortLimit;
}

bool MovieJob::SaveSoundTrack(SoundTrack& track) {
    for (auto& [failure, message] : track.messages) {
        if (failure) {
            Fail(message);
        } else {
            Note(message);
        }
    }
    if (!track.encoded) return false;
    std::string why;
    const fs::path path = SoundOutputPath(settings_);
    if (!platform::WriteHostFileAtomically(path, {track.encoded.get(), track.size}, &why)) {
        Fail(path.string() + ": " + why);
        return false;
    }
    result_.soundWritten = true;
    result_.shortSound = track.shortSound;
    return true;
}

}  // namespace clipmux
