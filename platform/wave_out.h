#pragma once
// The waveform output device: one per process, fixed format, a queue of
// buffers that the device plays in order and hands back, one by one, to a
// buffer-done routine. The mixer mixes inside that routine.
//
// Thread safety: Open, SetVolume, Pause, Reset and Close are called from the
// game thread. The buffer-done routine runs on the device's callback thread
// (SDL's audio thread; in the headless backend the game thread itself, inside
// Clock::Sleep) and may call Prepare, Write and Unprepare from there.
// PositionBytes may be called from either thread.

#include <cstdint>

namespace platform {

// The 18-byte wave-format block.
struct WaveFormat {
    uint16_t formatTag = 1;  // PCM
    uint16_t channels = 2;
    uint32_t sampleRate = 22050;
    uint32_t bytesPerSecond = 88200;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;
};

inline constexpr uint32_t kWaveBufferDone = 0x1;
inline constexpr uint32_t kWavePrepared = 0x2;
inline constexpr uint32_t kWaveInQueue = 0x10;

struct WaveBuffer {
    uint8_t* data = nullptr;
    uint32_t length = 0;
    uintptr_t user = 0;  // the caller's value (the mixer stores the buffer index)
    uint32_t flags = 0;
};

enum WaveResult : int {
    kWaveOk = 0,
    kWaveError = 1,
    kWaveStillPlaying = 33,  // Close while buffers are queued
};

class WaveOutDevice {
public:
    using BufferDone = void (*)(void* user, WaveBuffer* buffer);

    virtual ~WaveOutDevice() = default;
    // Opens the device at the given format; done is called once per
    // finished buffer with `user`.
    virtual int Open(const WaveFormat& format, BufferDone done, void* user) = 0;
    virtual int Prepare(WaveBuffer* buffer) = 0;
    // Queues a prepared buffer behind the others.
    virtual int Write(WaveBuffer* buffer) = 0;
    virtual int Unprepare(WaveBuffer* buffer) = 0;
    // Bytes played since the device opened (wraps at 2^32).
    virtual uint32_t PositionBytes() = 0;
    // Left volume in the low 16 bits, right in the high 16 bits (0xFFFF full).
    virtual int SetVolume(uint32_t leftRight) = 0;
    virtual int Pause() = 0;
    // Stops playing and hands every queued buffer back as done.
    virtual int Reset() = 0;
    // kWaveStillPlaying while buffers are queued; the caller retries.
    virtual int Close() = 0;
};

}  // namespace platform
