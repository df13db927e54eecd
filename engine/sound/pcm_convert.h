#pragma once
// Conversion of 16-bit PCM to the mixer's output format (stereo, 22050 Hz).
// Used once per effect on load and once per pass for streamed music.

#include <cstddef>
#include <cstdint>
#include <span>

namespace sound {

// Output bytes for sourceBytes of 16-bit PCM: doubled for one channel,
// halved for 44100 Hz. Any other rate is not resampled.
size_t ConvertedSize(size_t sourceBytes, uint32_t channels, uint32_t sampleRate);

// Converts source into out and returns the bytes written. Stereo 22050 Hz is
// copied unchanged; otherwise whole output frames (4 bytes) are written:
// one channel is duplicated to both sides, 44100 Hz averages pairs of input
// frames (each sample halved first, truncating toward zero), and any other
// rate is copied sample for sample. Sources of more than one channel are
// read as stereo. Never reads past source nor writes past out.
size_t ConvertToOutput(std::span<const uint8_t> source, uint32_t channels, uint32_t sampleRate,
                       std::span<uint8_t> out);

}  // namespace sound
