#pragma once
// One sound in the mixer: a loaded effect or the music stream, always in the
// output format. A channel is built completely on the game thread before its
// pointer is published (release store); from then on it is mixed on the
// device's callback thread while the game thread starts, halts and re-tunes
// it through the atomic words below. Only the mixing pass frees a channel,
// after the game thread has asked for release (state 2), unless no device
// runs at all.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wave_out.h"

namespace sound {

class DecoderBinding;
class WavStreamReader;

enum ChannelState : int32_t {
    kChannelStopped = 0,  // loaded, silent
    kChannelPlaying = 1,
    kChannelRelease = 2,  // the mixing pass frees it
};

enum MusicKind : int32_t { kMusicWav = 0, kMusicMp3 = 1 };

inline constexpr double kBytesToSeconds = 1.0 / 88200.0;

struct MixChannel {
    // For music: where the block is refilled from.
    int32_t kind = kMusicWav;
    platform::WaveFormat format{};
    DecoderBinding* decoder = nullptr;     // MP3 music: the binding opened for it
    WavStreamReader* wavStream = nullptr;  // WAV music: owned by the mixer

    // Samples in the output format, with 8 spare bytes; pcmBytes counts the
    // sound only (it may be odd: a last half sample is never mixed). Effects
    // hold the whole sound, music one pass.
    std::vector<int16_t> pcm;
    uint32_t pcmBytes = 0;
    std::vector<uint8_t> memoryImage;   // the whole MP3 file when streamed from memory
    std::vector<uint8_t> decodeBuffer;  // music decoding work space

    // Touched by the mixing pass only (after publication).
    uint32_t position = 0;

    std::atomic<int32_t> passCount{0};
    std::atomic<int32_t> volume{0};  // effective percent used by the mix
    std::atomic<int32_t> baseVolume{0};
    std::atomic<int32_t> playedBytes{0};
    std::atomic<uint32_t> lastDevicePosition{0};
    std::atomic<int32_t> state{kChannelStopped};
    std::atomic<int32_t> loop{0};
    int32_t decodeLoop = 0;
    double bytesToSeconds = kBytesToSeconds;

    std::atomic<int32_t> fadeIn{0};
    std::atomic<int32_t> fadeOut{0};
    std::atomic<uint32_t> fadeMs{0};
    std::atomic<uint32_t> fadeStart{0};
    std::atomic<int32_t> fadeFactor{0};

    // A block of `bytes` sound bytes (zeroed), keeping the spare bytes.
    void AllocatePcm(uint32_t bytes) {
        pcm.assign((static_cast<size_t>(bytes) + 8 + 1) / 2, 0);
        pcmBytes = bytes;
    }
    uint8_t* PcmBytes() { return reinterpret_cast<uint8_t*>(pcm.data()); }
};

}  // namespace sound
