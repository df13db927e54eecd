#pragma once
// RIFF WAVE reading over a byte span: the chunk walk that finds the sound's
// format and its sample data. No file I/O; every size is checked against the
// bytes that are really there.

#include <cstddef>
#include <cstdint>

#include "formats/byte_io.h"

namespace formats {

struct WaveInfo {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    // 0 when the "fmt " chunk is too short to hold the field.
    uint16_t bitsPerSample = 0;
    size_t dataOffset = 0;  // the samples: bytes[dataOffset, dataOffset + dataSize)
    size_t dataSize = 0;
};

// 1 with *info filled when bytes hold "RIFF" .. "WAVE" with a usable "fmt "
// chunk and a non-empty "data" chunk; 0 otherwise. The first "fmt " chunk
// counts (under 14 bytes, zero channels or a zero rate refuse the file); a
// later "data" chunk replaces an empty earlier one. A chunk whose size
// reaches past the end of the RIFF data or of the bytes refuses the file.
// The sample format (bits, rate) is the caller's to judge.
int ParseWaveFile(ByteSpan bytes, WaveInfo* info);

}  // namespace formats
