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

#include <cstddef>
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

// The one format the devices play: 22050 Hz, 16-bit, stereo PCM.
inline bool IsOutputFormat(const WaveFormat& format) {
    return format.formatTag == 1 && format.channels == 2 && format.sampleRate == 22050 &&
           format.bytesPerSecond == 88200 && format.blockAlign == 4 && format.bitsPerSample == 16;
}

// Scales interleaved 16-bit stereo frames by a device volume word (left in
// the low half, right in the high half, 0xFFFF = unchanged). A trailing
// partial frame is left as it is.
inline void ApplyWaveVolume(uint8_t* bytes, size_t length, uint32_t leftRight) {
    if (leftRight == 0xFFFFFFFFu) return;
    const int32_t volumes[2] = {static_cast<int32_t>(leftRight & 0xFFFF),
                                static_cast<int32_t>(leftRight >> 16)};
    for (size_t frame = 0; frame + 4 <= length; frame += 4) {
        for (size_t channel = 0; channel < 2; ++channel) {
            uint8_t* at = bytes + frame + channel * 2;
            int32_t sample = static_cast<int16_t>(at[0] | (at[1] << 8));
            sample = sample * volumes[channel] / 0xFFFF;
            at[0] = static_cast<uint8_t>(sample);
            at[1] = static_cast<uint8_t>(sample >> 8);
        }
    }
}

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
    // Holds playing and the position until Reset.
    virtual int Pause() = 0;
    // Stops playing and hands every queued buffer back as done, in queue
    // order, through the buffer-done routine; a buffer the routine writes
    // again meanwhile is refused, so that a reset device ends up empty.
    // Leaves the device unpaused and ready for new buffers.
    virtual int Reset() = 0;
    // kWaveStillPlaying while buffers are queued; the caller retries.
    virtual int Close() = 0;
};

}  // namespace platform
