#include "platform/headless/headless_wave_out.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "formats/wave_file.h"

namespace platform {

namespace {

// The RIFF size field must hold the data size plus 36; whole frames only.
constexpr uint32_t kMaxRecordedBytes = (0xFFFFFFFFu - 36) & ~3u;

// What the device plays: 16-bit stereo PCM at its frame rate.
std::array<uint8_t, formats::kWaveHeaderBytes> RecordingHeader(uint32_t dataBytes) {
    formats::WaveFormatFields format;
    format.formatTag = 1;
    format.channels = 2;
    format.sampleRate = HeadlessWaveOut::kFramesPerSecond;
    format.bytesPerSecond = HeadlessWaveOut::kFramesPerSecond * HeadlessWaveOut::kBytesPerFrame;
    format.blockAlign = HeadlessWaveOut::kBytesPerFrame;
    format.bitsPerSample = 16;
    return formats::WaveHeader(format, dataBytes);
}

}  // namespace

HeadlessWaveOut::~HeadlessWaveOut() {
    if (recording_ == nullptr) return;
    UpdateRecordingHeader();
    std::fclose(recording_);
}

bool HeadlessWaveOut::RecordTo(const std::string& path, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const auto header = RecordingHeader(0);
    if (file == nullptr || std::fwrite(header.data(), 1, header.size(), file) != header.size() ||
        std::fflush(file) != 0) {
        if (error != nullptr)
            *error = path + ": cannot write the sound recording: " + std::strerror(errno);
        if (file != nullptr) std::fclose(file);
        return false;
    }
    if (recording_ != nullptr) {
        UpdateRecordingHeader();
        std::fclose(recording_);
    }
    recording_ = file;
    recordingPath_ = path;
    recordedBytes_ = 0;
    return true;
}

void HeadlessWaveOut::AdvanceTo(uint64_t nowMs) {
    // A buffer-done routine that sleeps must not play the queue it is
    // being called from; its time is taken up by the outer call.
    if (nowMs <= nowMs_ || advancing_) return;
    nowMs_ = nowMs;
    if (!open_) return;
    advancing_ = true;
    const uint64_t target = FramesAt(nowMs);
    while (cursorFrame_ < target) {
        // An idle or paused device lets the time pass; a buffer written
        // later starts playing at the time it arrives.
        if (!open_ || paused_ || queue_.empty()) {
            cursorFrame_ = target;
            break;
        }
        WaveBuffer* buffer = queue_.front();
        const uint32_t left = buffer->length - offset_;
        const uint64_t frames =
            std::min<uint64_t>((left + kBytesPerFrame - 1) / kBytesPerFrame, target - cursorFrame_);
        const auto bytes = static_cast<uint32_t>(std::min<uint64_t>(frames * kBytesPerFrame, left));
        Record(buffer->data + offset_, bytes);
        offset_ += bytes;
        position_ += bytes;
        cursorFrame_ += frames;
        if (offset_ < buffer->length) continue;
        queue_.pop_front();
        offset_ = 0;
        buffer->flags = (buffer->flags & ~kWaveInQueue) | kWaveBufferDone;
        UpdateRecordingHeader();
        if (done_ != nullptr) done_(user_, buffer);
    }
    advancing_ = false;
}

int HeadlessWaveOut::Open(const WaveFormat& format, BufferDone done, void* user) {
    if (open_ || !IsOutputFormat(format)) return kWaveError;
    open_ = true;
    paused_ = false;
    done_ = done;
    user_ = user;
    offset_ = 0;
    position_ = 0;
    cursorFrame_ = FramesAt(nowMs_);
    return kWaveOk;
}

int HeadlessWaveOut::Prepare(WaveBuffer* buffer) {
    if (!open_ || buffer == nullptr || (buffer->data == nullptr && buffer->length != 0))
        return kWaveError;
    buffer->flags |= kWavePrepared;
    return kWaveOk;
}

int HeadlessWaveOut::Write(WaveBuffer* buffer) {
    if (!open_ || resetting_ || buffer == nullptr || (buffer->flags & kWavePrepared) == 0 ||
        (buffer->flags & kWaveInQueue) != 0)
        return kWaveError;
    buffer->flags = (buffer->flags & ~kWaveBufferDone) | kWaveInQueue;
    queue_.push_back(buffer);
    return kWaveOk;
}

int HeadlessWaveOut::Unprepare(WaveBuffer* buffer) {
    if (buffer == nullptr) return kWaveError;
    if ((buffer->flags & kWaveInQueue) != 0) return kWaveStillPlaying;
    buffer->flags &= ~kWavePrepared;
    return kWaveOk;
}

int HeadlessWaveOut::SetVolume(uint32_t leftRight) {
    if (!open_) return kWaveError;
    volume_ = leftRight;
    return kWaveOk;
}

int HeadlessWaveOut::Pause() {
    if (!open_) return kWaveError;
    paused_ = true;
    return kWaveOk;
}

int HeadlessWaveOut::Reset() {
    if (!open_ || resetting_) return kWaveError;
    std::deque<WaveBuffer*> returned;
    returned.swap(queue_);
    offset_ = 0;
    paused_ = false;
    resetting_ = true;
    for (WaveBuffer* buffer : returned) {
        buffer->flags = (buffer->flags & ~kWaveInQueue) | kWaveBufferDone;
        if (done_ != nullptr) done_(user_, buffer);
    }
    resetting_ = false;
    return kWaveOk;
}

int HeadlessWaveOut::Close() {
    if (!open_) return kWaveError;
    if (!queue_.empty()) return kWaveStillPlaying;
    open_ = false;
    done_ = nullptr;
    user_ = nullptr;
    UpdateRecordingHeader();
    return kWaveOk;
}

void HeadlessWaveOut::Record(const uint8_t* bytes, uint32_t length) {
    if (recording_ == nullptr || length == 0) return;
    if (length > kMaxRecordedBytes - recordedBytes_) {
        StopRecording("the recording is full");
        return;
    }
    if (volume_ != 0xFFFFFFFFu) {
        scratch_.assign(bytes, bytes + length);
        ApplyWaveVolume(scratch_.data(), scratch_.size(), volume_);
        bytes = scratch_.data();
    }
    if (std::fwrite(bytes, 1, length, recording_) != length) {
        StopRecording(std::strerror(errno));
        return;
    }
    recordedBytes_ += length;
}

// Rewrites both sizes and flushes, so that a run that ends abruptly still
// leaves a playable file with everything up to the last finished buffer.
void HeadlessWaveOut::UpdateRecordingHeader() {
    if (recording_ == nullptr) return;
    const auto header = RecordingHeader(recordedBytes_);
    bool written = std::fseek(recording_, 0, SEEK_SET) == 0 &&
                   std::fwrite(header.data(), 1, header.size(), recording_) == header.size() &&
                   std::fseek(recording_, 0, SEEK_END) == 0 && std::fflush(recording_) == 0;
    if (!written) StopRecording(std::strerror(errno));
}

void HeadlessWaveOut::StopRecording(const char* reason) {
    std::fprintf(stderr, "mirelo: %s: the sound recording stops: %s\n", recordingPath_.c_str(),
                 reason);
    // What was written so far stays a valid file.
    const auto header = RecordingHeader(recordedBytes_);
    if (std::fseek(recording_, 0, SEEK_SET) == 0) {
        std::fwrite(header.data(), 1, header.size(), recording_);
    }
    std::fclose(recording_);
    recording_ = nullptr;
}

}  // namespace platform
