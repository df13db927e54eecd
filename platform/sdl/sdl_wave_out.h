#pragma once
// The wave-output device on an SDL audio device at the one output format.
// SDL's audio thread pulls bytes from the queue of written buffers in order;
// a buffer that has been used up is marked done and handed to the
// buffer-done routine on that thread, which may prepare and write it again
// from inside. An empty queue plays silence.
//
// Thread safety: Open, SetVolume, Pause, Reset and Close from the game
// thread; Prepare, Write and Unprepare from either thread; PositionBytes from
// any thread. The queue lock is never held while the routine runs, and Reset
// stops the audio thread while it hands buffers back, so the routine never
// runs on two threads at once.

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/wave_out.h"

namespace platform {

class SdlWaveOut : public WaveOutDevice {
public:
    SdlWaveOut() = default;
    // Closes the device without waiting for queued buffers.
    ~SdlWaveOut() override;
    SdlWaveOut(const SdlWaveOut&) = delete;
    SdlWaveOut& operator=(const SdlWaveOut&) = delete;

    // kWaveError for any other format and when there is no sound device
    // (the engine then goes on without sound).
    int Open(const WaveFormat& format, BufferDone done, void* user) override;
    int Prepare(WaveBuffer* buffer) override;
    int Write(WaveBuffer* buffer) override;
    int Unprepare(WaveBuffer* buffer) override;
    uint32_t PositionBytes() override { return position_.load(std::memory_order_relaxed); }
    int SetVolume(uint32_t leftRight) override;
    int Pause() override;
    int Reset() override;
    int Close() override;

private:
    static void Callback(void* self, uint8_t* stream, int length);
    void Fill(uint8_t* stream, size_t length);
    void Shut();

    uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 when closed
    BufferDone done_ = nullptr;
    void* user_ = nullptr;

    std::mutex mutex_;  // guards the queue, offset_, refuseWrites_ and buffer flags
    std::deque<WaveBuffer*> queue_;
    uint32_t offset_ = 0;  // bytes of the front buffer already played
    bool refuseWrites_ = false;

    std::atomic<uint32_t> position_{0};
    std::atomic<uint32_t> volume_{0xFFFFFFFFu};
};

}  // namespace platform
