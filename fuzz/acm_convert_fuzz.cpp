// Feeds arbitrary sound data in every source format the converters accept to
// the one-shot format conversion. The first 12 bytes choose the format:
// tag selector, channels, rate, bits, block align and extra size; the extra
// bytes and the data follow. The result must be whole 16-bit stereo frames
// and stay within what the source can possibly decode to.

#include <cstdint>
#include <cstdlib>

#include "common/acm_convert.h"
#include "formats/byte_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    static const uint16_t kTags[] = {1, 2, 3, 6, 7, 0x11, 0x55, 0x50};
    formats::ByteSpan bytes(data, size);
    common::WaveFormat source;
    source.formatTag = kTags[data[0] % 8];
    source.channels = data[1] % 4;
    source.samplesPerSecond = formats::ReadLe16(bytes, 2) * 4u;
    source.bitsPerSample = data[4];
    source.blockAlign = formats::ReadLe16(bytes, 5);
    source.averageBytesPerSecond = source.samplesPerSecond * source.blockAlign;
    size_t extraSize = std::min<size_t>(data[7], size - 12);
    source.extraSize = static_cast<uint16_t>(extraSize);
    formats::ByteSpan extra = bytes.subspan(12, extraSize);
    formats::ByteSpan sound = bytes.subspan(12 + extraSize);

    common::WaveFormat target = common::SuggestPcmFormat(source, 16);
    target.channels = 2;
    target.samplesPerSecond = 22050;
    target.blockAlign = 4;
    target.averageBytesPerSecond = 22050 * 4;
    std::unique_ptr<uint8_t[]> out;
    uint32_t produced = common::AcmConvert(source, extra, target, sound.data(),
                                           static_cast<uint32_t>(sound.size()), &out);
    if (produced % 4 != 0 || (produced > 0) != (out != nullptr)) std::abort();
    if (produced > 0 && source.samplesPerSecond > 0) {
        // At most 8 frames per source byte (3-bit coding) plus headers, stretched
        // by the rate; MPEG audio decodes up to 1152 frames from each frame of
        // at least a 4-byte header.
        const bool mpeg = source.formatTag == 0x50 || source.formatTag == 0x55;
        uint64_t sourceFrames =
            mpeg ? (uint64_t{sound.size()} / 4 + 1) * 1152 + 64 : uint64_t{sound.size()} * 8 + 64;
        uint64_t bound = (sourceFrames * 22050 / source.samplesPerSecond + 64) * 4;
        if (produced > bound) std::abort();
    }
    return 0;
}
