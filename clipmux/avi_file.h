#pragma once
// Our reader of RIFF AVI files: the stream headers ("strh"), their formats
// ("strf") and where each stream's chunks lie in the "movi" lists, including
// the further "AVIX" parts of large files and "rec " groups. Chunks are found
// by walking the lists rather than through the index, so a file without an
// index or with a damaged one still reads. Every size is checked against its
// enclosing list and the file.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_io.h"
#include "formats/byte_source.h"
#include "formats/movie_container.h"

namespace clipmux {

// The most streams a file may have; more are ignored.
inline constexpr size_t kMaxAviStreams = 50;

using FourCc = std::array<char, 4>;

struct AviStream {
    FourCc type{};  // "vids", "auds", ...
    FourCc handler{};
    uint32_t scale = 0;
    uint32_t rate = 0;
    uint32_t start = 0;
    uint32_t length = 0;  // in frames (video) or blocks (sound)
    uint32_t sampleSize = 0;
    formats::ByteVector format;  // the "strf" bytes
    std::vector<formats::FileRange> chunks;
    uint64_t chunkBytes = 0;  // all chunks together

    bool IsVideo() const { return type == FourCc{'v', 'i', 'd', 's'}; }
    bool IsAudio() const { return type == FourCc{'a', 'u', 'd', 's'}; }
};

struct AviFile {
    std::vector<AviStream> streams;
};

// A video stream's format: the bitmap information header.
struct BitmapInfo {
    int32_t width = 0;
    int32_t height = 0;  // negative: rows top first
    uint16_t bitCount = 0;
    uint32_t compression = 0;  // 0 uncompressed, 3 bit fields, else a FourCC
    formats::ByteSpan extra;   // what follows the header: palette or codec data
    // Bit fields only: which bits of a pixel hold red, green and blue; from
    // a larger header when it has them, else from the three words after the
    // header. All 0 when the format has none.
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
};

bool ReadAviFile(formats::ByteSource& source, AviFile* out, std::string* why);

// Decodes a "strf" of a video stream; false when shorter than 40 bytes.
bool ParseBitmapInfo(formats::ByteSpan format, BitmapInfo* out);

}  // namespace clipmux
