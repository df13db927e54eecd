#pragma once
// Reading the PC title's .crx pictures into plain blue, green, red pixels.
// Two storage schemes exist: an LZ scheme over a 64 KiB window, and a zlib
// stream with a prediction filter per row. No magic number is checked; the
// header fields are trusted only after they have been checked against the
// bytes that are really there.

#include <cstdint>
#include <string>

#include "formats/byte_io.h"

namespace kitshift {

// Field 12 of the header: 2 selects the zlib scheme, anything else LZ.
inline constexpr uint16_t kCrxSchemeZlib = 2;
inline constexpr size_t kCrxHeaderSize = 20;
// Pictures beyond this many pixels are refused before anything is allocated;
// the source title's largest pictures are a small fraction of it.
inline constexpr uint64_t kCrxMaxPixels = uint64_t{1} << 24;

enum class CrxScheme { Lz, Zlib };

// A decoded picture, owned by its user.
struct SourcePicture {
    uint32_t width = 0;
    uint32_t height = 0;
    // width x height pixels of blue, green, red; rows from the top, no padding.
    // Pure magenta (255, 0, 255) marks transparent pixels.
    formats::ByteVector pixels;
    // 8 when the file held palette indices (already expanded here), else 24.
    uint32_t bitsPerPixel = 24;
    CrxScheme scheme = CrxScheme::Zlib;
};

// Decodes a whole .crx file. On failure returns false, leaves *out untouched
// and, when error is given, says why.
bool DecodeCrx(formats::ByteSpan file, SourcePicture* out, std::string* error);

}  // namespace kitshift
