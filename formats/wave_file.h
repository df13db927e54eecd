#pragma once
// RIFF WAVE over byte spans: the chunk walk that finds a sound's format and
// its sample data, and the canonical 44-byte header that writers put in
// front of 16-byte-format PCM. No file I/O; every size is checked against
// the bytes that are really there.

#include <array>
#include <cstddef>
#include <cstdint>

#include "formats/byte_io.h"

namespace formats {

// The fields of a "fmt " chunk that readers and writers use.
struct WaveFormatFields {
    uint16_t formatTag = 0;  // 1: PCM
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bytesPerSecond = 0;
    uint16_t blockAlign = 0;
    // 0 when the "fmt " chunk is too short to hold the field.
    uint16_t bitsPerSample = 0;
};

struct WaveInfo : WaveFormatFields {
    // The format's extra bytes after its size field, as far as the chunk
    // holds them (compressed codings keep their block layout there).
    size_t formatExtraOffset = 0;
    size_t formatExtraSize = 0;
    size_t dataOffset = 0;  // the samples: bytes[dataOffset, dataOffset + dataSize)
    size_t dataSize = 0;
};

// How a chunk that reaches past the end of the RIFF data or of the bytes is
// taken.
enum class WaveChunkEnds {
    // The file is refused; so is a format with zero channels or a zero
    // rate. The engine plays only what it can trust.
    kRefuse,
    // The chunk is cut to the bytes that are there and the format is the
    // caller's to judge: the converter salvages what a careless writer left.
    kCutToBytes,
};

// True with *info filled when bytes hold "RIFF" .. "WAVE" with a usable "fmt "
// chunk and a non-empty "data" chunk; false otherwise. The first "fmt " chunk
// counts (under 14 bytes refuses the file); a later "data" chunk replaces an
// empty earlier one. The sample format (bits, rate) is the caller's to judge.
bool ParseWaveFile(ByteSpan bytes, WaveInfo* info,
                   WaveChunkEnds chunkEnds = WaveChunkEnds::kRefuse);

inline constexpr size_t kWaveHeaderBytes = 44;

// "RIFF" (size 36 + dataBytes) "WAVE", a 16-byte "fmt " chunk of format, and
// the head of a "data" chunk of dataBytes.
std::array<uint8_t, kWaveHeaderBytes> WaveHeader(const WaveFormatFields& format,
                                                 uint32_t dataBytes);

// The header followed by the samples.
ByteVector BuildWaveFile(const WaveFormatFields& format, ByteSpan samples);

}  // namespace formats
