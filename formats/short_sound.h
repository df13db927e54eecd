#pragma once
// The converters' short-sound container: a sound of at most 16,384 PCM
// bytes is kept as its PCM behind a 64-byte header instead of as MP3, under
// the same ".mp3" name. Little-endian throughout:
//   0 "MWF0", 4 version, 8 header size 64, 12 PCM byte count, 16..39 zero,
//   40 the 18-byte wave format (tag, channels, rate, bytes per second, block
//   align, bits, extra size), 58..63 zero, 64 the PCM bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/byte_io.h"
#include "formats/wave_file.h"

namespace formats {

inline constexpr size_t kShortSoundHeaderSize = 64;
inline constexpr size_t kShortSoundFormatOffset = 40;

// The first four bytes are the container's magic.
bool IsShortSound(ByteSpan bytes);

// True with *info filled (format fields, the PCM's offset and size) when the
// header is whole, its sizes fit the bytes and the format is PCM with one or
// two channels; false with the reason in *why otherwise.
bool ParseShortSound(ByteSpan bytes, WaveInfo* info, std::string* why = nullptr);

}  // namespace formats
