#pragma once
// Writers of the PC title's sound formats: ".pcm" sounds in each of their
// codings and the "voice.dat" archive. The tests build source trees with
// them and the sample title generator its install folders.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/byte_io.h"

namespace pc_title {

enum class PcmCoding {
    kRaw,        // coding byte 0
    kDelta,      // coding byte 2
    kTransform,  // coding byte 1
};

// A ".pcm" image of 16-bit samples (interleaved when channels is 2). The
// raw coding is exact; the delta coding is exact while neighbouring samples
// of a channel differ by at most 127 and otherwise follows the signal as the
// adaptive step allows; the transform coding is lossy (see
// EncodeTransformBlocks).
formats::ByteVector WritePcmSound(PcmCoding coding, uint16_t channels, uint32_t sampleRate,
                                  std::span<const int16_t> samples);

// The delta coding's input bytes for the samples, one byte per sample.
formats::ByteVector EncodeDeltaBytes(std::span<const int16_t> samples, uint16_t channels);

// The transform coding's flat stream (8,192 bytes per block of 4,064 new
// samples) before compression. The codes are a floating-point inverse of the
// integer decoder, rounded, so a smooth signal comes back within a few
// hundredths of full scale; content at the top of the band is lost.
formats::ByteVector EncodeTransformBlocks(std::span<const int16_t> samples);

// The LZ token scheme of the transform coding (greedy, all four copy forms).
formats::ByteVector CompressTokens(formats::ByteSpan flat);

struct VoiceDatEntry {
    std::string name;  // at most 47 bytes are kept
    formats::ByteVector data;
};

// "voice.dat": count, 52-byte records, then the data in record order.
formats::ByteVector WriteVoiceDat(const std::vector<VoiceDatEntry>& entries);

}  // namespace pc_title
