#pragma once
// The converters' short sound container: a sound of at most
// Mp3Encoder::kShortSoundLimit PCM bytes is stored as its PCM behind a
// 64-byte header instead of being encoded as MP3. Little-endian throughout:
//   0 "MWF0", 4 version 3, 8 header size 64, 12 PCM byte count, 16..39 zero,
//   40 the 18-byte sound format description, 58..63 zero, 64 the PCM bytes.

#include <cstdint>
#include <span>
#include <vector>

namespace common {

// The desktop system's wave format record (18 bytes when stored).
struct WaveFormat {
    uint16_t formatTag = 1;  // 1: PCM
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

struct ShortPcmFile {
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kHeaderSize = 64;
    static constexpr uint32_t kFormatOffset = 40;

    // The whole container, kHeaderSize + pcm.size() bytes.
    static std::vector<uint8_t> Build(const WaveFormat& format, std::span<const uint8_t> pcm);
};

}  // namespace common
