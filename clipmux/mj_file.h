#pragma once
// The PC title's own motion-JPEG movie (".mj"): a header with the sound's
// format and the frame rate, a table of E entries, and then sound chunks and
// JPEG frames interleaved. Integers are little-endian:
//   14 sound channels (2), 16 sound rate in hertz (4; the sound is 16-bit
//   PCM), 20 frame-rate numerator (2), 22 denominator (2), 24 entry count E
//   (2; one more than the frame count), 26 sound chunk count plus one (2),
//   28 data base offset (4), 36 the entries, 24 bytes each: +0 start of sound
//   chunk k, +8 start of video frame k, both from the data base.
// Video frame k runs from its start to the start of sound chunk k + 1; sound
// chunk k from its start to the start of video frame k.
//
// ReadMjFile reads the header and table and checks every frame and chunk
// against the file before anything else is read.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_io.h"
#include "formats/byte_source.h"
#include "formats/movie_container.h"

namespace clipmux {

inline constexpr size_t kMjFirstReadSize = 60;
inline constexpr size_t kMjEntriesOffset = 36;
inline constexpr size_t kMjEntrySize = 24;

struct MjFile {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t rateNumerator = 0;
    uint16_t rateDenominator = 0;
    uint16_t entryCount = 0;
    uint16_t soundChunksPlusOne = 0;
    uint32_t dataBase = 0;
    std::vector<formats::FileRange> frames;  // E - 1 video frames
    std::vector<formats::FileRange> sounds;  // sound chunks
    uint64_t soundBytes = 0;                 // all chunks together
};

// Parses from the whole table (the first 36 + 24 x E bytes of the file, more
// allowed) and checks every range against fileSize.
bool ParseMjFile(formats::ByteSpan table, uint64_t fileSize, MjFile* out, std::string* why);

// Reads the first 60 bytes, then the table, from a source.
bool ReadMjFile(formats::ByteSource& source, MjFile* out, std::string* why);

}  // namespace clipmux
