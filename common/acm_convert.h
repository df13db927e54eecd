#pragma once
// The converters' one-shot sound format conversion: a whole sound in one
// format turned into PCM of another (8-bit PCM to 16-bit, compressed WAVE
// codings such as MS ADPCM and IMA ADPCM decoded by their format tag, rate
// and channel changes). Stands in for the desktop system's audio compression
// manager, over FFmpeg's decoders and libswresample.
//
// Thread safety: no shared state; calls may run on any thread.

#include <cstdint>
#include <memory>
#include <span>

#include "common/short_pcm_file.h"

namespace common {

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatMsAdpcm = 2;
inline constexpr uint16_t kWaveFormatImaAdpcm = 0x11;

// The system's suggestion of a PCM format (tag 1) for a source. The rate and
// channels are the source's. bitsPerSample 0 lets the system choose: the
// source's own bits for 8- and 16-bit PCM, 16 for anything else; 8 or 16
// fixes them. Block align and bytes per second follow.
WaveFormat SuggestPcmFormat(const WaveFormat& source, uint16_t bitsPerSample);

// True when a conversion from this source format can be opened (a known
// format tag with sane channels, rate and block align).
bool CanConvertFrom(const WaveFormat& source);

// Converts the whole source to the destination format, which must be PCM of
// 8 or 16 bits, 1 or 2 channels, 8,000 to 96,000 Hz. sourceExtra holds the
// format's extra bytes (the ones its extra size counts; ADPCM formats keep
// their samples per block and coefficients there). Returns the destination
// byte count with the bytes in *destination (allocated here with 16 bytes to
// spare), or 0 and no buffer when the conversion cannot be opened or
// produces nothing. A block cut short at the end is decoded as far as it goes.
uint32_t AcmConvert(const WaveFormat& source, std::span<const uint8_t> sourceExtra,
                    const WaveFormat& destination, const uint8_t* sourceBytes,
                    uint32_t sourceLength, std::unique_ptr<uint8_t[]>* destinationBuffer);

}  // namespace common
