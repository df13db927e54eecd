#include "formats/wave_file.h"

#include <algorithm>
#include <cstring>

namespace formats {

namespace {

bool HasId(ByteSpan bytes, size_t offset, const char* id) {
    return std::memcmp(bytes.data() + offset, id, 4) == 0;
}

constexpr uint32_t kMinFormatBytes = 14;
// Bits per sample sits at body offset 14; a 14- or 15-byte "fmt " chunk
// (the old format block) does not carry it.
constexpr uint32_t kFormatBytesWithBits = 16;

}  // namespace

int ParseWaveFile(ByteSpan bytes, WaveInfo* info) {
    if (!HasRange(bytes, 0, 12) || !HasId(bytes, 0, "RIFF") || !HasId(bytes, 8, "WAVE")) return 0;
    // Writers often get the RIFF size wrong in either direction; the walk
    // stops at whichever end comes first.
    uint64_t end = std::min<uint64_t>(uint64_t{8} + ReadLe32(bytes, 4), bytes.size());

    WaveInfo found;
    bool haveFormat = false;
    bool haveData = false;
    uint64_t offset = 12;
    while (offset + 8 <= end) {
        uint32_t size = ReadLe32(bytes, offset + 4);
        uint64_t body = offset + 8;
        if (body + size > end) return 0;  // truncated chunk
        if (HasId(bytes, offset, "fmt ")) {
            if (!haveFormat) {
                if (size < kMinFormatBytes) return 0;
                found.channels = ReadLe16(bytes, body + 2);
                found.sampleRate = ReadLe32(bytes, body + 4);
                found.bitsPerSample = size >= kFormatBytesWithBits ? ReadLe16(bytes, body + 14) : 0;
                if (found.channels == 0 || found.sampleRate == 0) return 0;
                haveFormat = true;
            }
        } else if (HasId(bytes, offset, "data")) {
            if (!haveData || found.dataSize == 0) {
                found.dataOffset = body;
                found.dataSize = size;
                haveData = true;
            }
        }
        if (haveFormat && haveData && found.dataSize > 0) {
            *info = found;
            return 1;
        }
        offset = body + size + (size & 1);  // bodies are padded to an even size
    }
    return 0;
}

}  // namespace formats
