#pragma once
// The headless backend's wave-output device: it plays on the virtual clock.
// A queued buffer takes 2048 frames of virtual time per 8192 bytes at
// 22050 Hz; the play cursor counts whole frames since virtual time 0, so a
// buffer that follows another without a gap completes exactly where the
// frame count says, never a rounded millisecond later.
//
// Thread safety: one thread only. AdvanceTo is called from Clock::Sleep and
// calls the buffer-done routine synchronously, once per finished buffer.

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/wave_out.h"

namespace platform {

class HeadlessWaveOut : public WaveOutDevice {
public:
    static constexpr uint32_t kFramesPerSecond = 22050;
    static constexpr uint32_t kBytesPerFrame = 4;

    HeadlessWaveOut() = default;
    ~HeadlessWaveOut() override;
    HeadlessWaveOut(const HeadlessWaveOut&) = delete;
    HeadlessWaveOut& operator=(const HeadlessWaveOut&) = delete;

    // Appends everything played from now on to a new WAV file at path,
    // 22050 Hz stereo 16-bit; its header stays valid after every finished
    // buffer. False with the reason when the file cannot be created.
    bool RecordTo(const std::string& path, std::string* error);

    // Plays up to virtual time nowMs (ms since the clock started). Time never
    // goes back; an earlier time is ignored.
    void AdvanceTo(uint64_t nowMs);

    int Open(const WaveFormat& format, BufferDone done, void* user) override;
    int Prepare(WaveBuffer* buffer) override;
    int Write(WaveBuffer* buffer) override;
    int Unprepare(WaveBuffer* buffer) override;
    uint32_t PositionBytes() override { return position_; }
    int SetVolume(uint32_t leftRight) override;
    int Pause() override;
    int Reset() override;
    int Close() override;

private:
    static uint64_t FramesAt(uint64_t ms) { return ms * kFramesPerSecond / 1000; }
    void Record(const uint8_t* bytes, uint32_t length);
    void UpdateRecordingHeader();
    void StopRecording(const char* reason);

    bool open_ = false;
    bool paused_ = false;
    bool resetting_ = false;
    bool advancing_ = false;
    BufferDone done_ = nullptr;
    void* user_ = nullptr;
    std::deque<WaveBuffer*> queue_;
    uint32_t offset_ = 0;  // bytes of the front buffer already played
    uint64_t nowMs_ = 0;
    uint64_t cursorFrame_ = 0;  // virtual time played up to, in frames
    uint32_t position_ = 0;
    uint32_t volume_ = 0xFFFFFFFFu;

    std::FILE* recording_ = nullptr;
    std::string recordingPath_;
    uint32_t recordedBytes_ = 0;
    std::vector<uint8_t> scratch_;
};

}  // namespace platform
