#include "common/short_pcm_file.h"

#include <algorithm>

#include "formats/byte_io.h"

namespace common {

std::vector<uint8_t> ShortPcmFile::Build(const WaveFormat& format, std::span<const uint8_t> pcm) {
    // The reserved bytes are left zero so that equal sounds give equal files.
    std::vector<uint8_t> file(kHeaderSize + pcm.size(), 0);
    uint8_t* out = file.data();
    std::copy_n("MWF0", 4, out);
    formats::StoreLe32(out + 4, kVersion);
    formats::StoreLe32(out + 8, kHeaderSize);
    formats::StoreLe32(out + 12, static_cast<uint32_t>(pcm.size()));
    uint8_t* description = out + kFormatOffset;
    formats::StoreLe16(description + 0, format.formatTag);
    formats::StoreLe16(description + 2, format.channels);
    formats::StoreLe32(description + 4, format.samplesPerSecond);
    formats::StoreLe32(description + 8, format.averageBytesPerSecond);
    formats::StoreLe16(description + 12, format.blockAlign);
    formats::StoreLe16(description + 14, format.bitsPerSample);
    formats::StoreLe16(description + 16, format.extraSize);
    std::copy(pcm.begin(), pcm.end(), out + kHeaderSize);
    return file;
}

}  // namespace common
