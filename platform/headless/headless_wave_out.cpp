#include "platform/headless/headless_wave_out.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "formats/byte_io.h"

namespace platform {

namespace {

constexpr size_t kWavHeaderBytes = 44;
// The RIFF size field must hold the data size plus 36; whole frames only.
constexpr uint32_t kMaxRecordedBytes = (0xFFFFFFFFu - 36) & ~3u;

void StoreWavHeader(uint8_t* header, uint32_t dataBytes) {
    std::memcpy(header, "RIFF", 4);
    formats::StoreLe32(header + 4, 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    formats::StoreLe32(header + 16, 16);
    formats::StoreLe16(header + 20, 1);
    formats::StoreLe16(header + 22, 2);
    formats::StoreLe32(header + 24, HeadlessWaveOut::kFramesPerSecond);
    formats::StoreLe32(header + 28,
                       HeadlessWaveOut::kFramesPerSecond * HeadlessWaveOut::kBytesPerFrame);
    formats::StoreLe16(header + 32, HeadlessWaveOut::kBytesPerFrame);
    formats::StoreLe16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    formats::StoreLe32(header + 40, dataBytes);
}

}  // namespace

HeadlessWaveOut::~HeadlessWaveOut() {
    if (recording_ == nullptr) return;
    UpdateRecordingHeader();
    std::fclose(recording_);
}

bool HeadlessWaveOut::RecordTo(const std::string& path, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    uint8_t header[kWavHeaderBytes];
    StoreWavHeader(header, 0);
    if (file == nullptr || std::fwrite(header, 1, sizeof header, file) != sizeof header ||
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
    uint8_t header[kWavHeaderBytes];
    StoreWavHeader(header, recordedBytes_);
    bool written = std::fseek(recording_, 0, SEEK_SET) == 0 &&
                   std::fwrite(header, 1, sizeof header, recording_) == sizeof header &&
                   std::fseek(recording_, 0, SEEK_END) == 0 && std::fflush(recording_) == 0;
    if (!written) StopRecording(std::strerror(errno));
}

void HeadlessWaveOut::StopRecording(const char* reason) {
    std::fprintf(stderr, "mirelo: %s: the sound recording stops: %s\n", recordingPath_.c_str(),
                 reason);
    // What was written so far stays a valid file.
    uint8_t header[kWavHeaderBytes];
    StoreWavHeader(header, recordedBytes_);
    if (std::fseek(recording_, 0, SEEK_SET) == 0) std::fwrite(header, 1, sizeof header, recording_);
    std::fclose(recording_);
    recording_ = nullptr;
}

}  // namespace platform
