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
// The extra bytes' count sits at body offset 16, the bytes from 18.
constexpr uint32_t kFormatBytesWithExtra = 18;

}  // namespace

bool ParseWaveFile(ByteSpan bytes, WaveInfo* info, WaveChunkEnds chunkEnds) {
    if (!HasRange(bytes, 0, 12) || !HasId(bytes, 0, "RIFF") || !HasId(bytes, 8, "WAVE"))
        return false;
    const bool refuse = chunkEnds == WaveChunkEnds::kRefuse;
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
        uint64_t available = std::min<uint64_t>(size, end - body);
        if (available < size && refuse) return false;  // truncated chunk
        if (HasId(bytes, offset, "fmt ")) {
            if (!haveFormat) {
                if (available < kMinFormatBytes) return false;
                found.formatTag = ReadLe16(bytes, body);
                found.channels = ReadLe16(bytes, body + 2);
                found.sampleRate = ReadLe32(bytes, body + 4);
                found.bytesPerSecond = ReadLe32(bytes, body + 8);
                found.blockAlign = ReadLe16(bytes, body + 12);
                found.bitsPerSample =
                    available >= kFormatBytesWithBits ? ReadLe16(bytes, body + 14) : 0;
                if (available >= kFormatBytesWithExtra) {
                    found.formatExtraOffset = body + kFormatBytesWithExtra;
                    found.formatExtraSize = std::min<uint64_t>(ReadLe16(bytes, body + 16),
                                                               available - kFormatBytesWithExtra);
                }
                if (refuse && (found.channels == 0 || found.sampleRate == 0)) return false;
                haveFormat = true;
            }
        } else if (HasId(bytes, offset, "data")) {
            if (!haveData || found.dataSize == 0) {
                found.dataOffset = body;
                found.dataSize = available;
                haveData = true;
            }
        }
        if (haveFormat && haveData && found.dataSize > 0) {
            *info = found;
            return true;
        }
        offset = body + size + (size & 1);  // bodies are padded to an even size
    }
    return false;
}

std::array<uint8_t, kWaveHeaderBytes> WaveHeader(const WaveFormatFields& format,
                                                 uint32_t dataBytes) {
    std::array<uint8_t, kWaveHeaderBytes> header{};
    uint8_t* out = header.data();
    std::memcpy(out, "RIFF", 4);
    StoreLe32(out + 4, 36 + dataBytes);
    std::memcpy(out + 8, "WAVEfmt ", 8);
    StoreLe32(out + 16, kFormatBytesWithBits);
    StoreLe16(out + 20, format.formatTag);
    StoreLe16(out + 22, format.channels);
    StoreLe32(out + 24, format.sampleRate);
    StoreLe32(out + 28, format.bytesPerSecond);
    StoreLe16(out + 32, format.blockAlign);
    StoreLe16(out + 34, format.bitsPerSample);
    std::memcpy(out + 36, "data", 4);
    StoreLe32(out + 40, dataBytes);
    return header;
}

ByteVector BuildWaveFile(const WaveFormatFields& format, ByteSpan samples) {
    const auto header = WaveHeader(format, static_cast<uint32_t>(samples.size()));
    ByteVector file(header.size() + samples.size());
    std::copy(header.begin(), header.end(), file.begin());
    std::copy(samples.begin(), samples.end(), file.begin() + header.size());
    return file;
}

}  // namespace formats
