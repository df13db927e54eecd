#pragma once
// RBP pictures: a 32-byte header and uncompressed pixels, rows from the top.
// Everything here works on landscape pixels; turning them into the engine's
// portrait storage is the image loader's business.
//
// Decoded pixels are 4 bytes each (blue, green, red, alpha), rows one after
// another without padding, the same order as the engine's buffers.

#include <cstdint>
#include <string>

#include "formats/byte_io.h"

namespace formats {

inline constexpr size_t kRbpHeaderSize = 32;
// Full red and blue, no green: the transparent colour of type 13 pictures.
inline constexpr uint16_t kRbpKeyColour = 0xF81F;

// Pixel types as they appear in the header.
inline constexpr uint32_t kRbpTypeBgra = 0;            // blue, green, red, alpha bytes
inline constexpr uint32_t kRbpTypeRgb565AlphaOld = 1;  // laid out as type 11
inline constexpr uint32_t kRbpTypeRgb565Alpha = 11;    // RGB565 word, then an alpha byte
inline constexpr uint32_t kRbpTypeRgb565 = 13;         // RGB565 word, 0xF81F may be the key

struct RbpHeader {
    char version = '2';  // '1' or '2'; '1' stores alpha bytes as 0..63
    uint32_t pixelType = kRbpTypeRgb565;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t dataOffset = static_cast<uint32_t>(kRbpHeaderSize);
    int16_t designWidth = 0;  // size in the source title's 800 x 600 space
    int16_t designHeight = 0;
};

// Whether a type 13 picture's key colour turns transparent.
enum class RbpKeying { Unkeyed, Keyed };

// 2, 3 or 4 for the known pixel types, 0 for any other value.
uint32_t RbpBytesPerPixel(uint32_t pixelType);

// Reads and checks the header: magic "MBP", version '1' or '2', a known pixel
// type, nonzero width and height, and pixel data that lies wholly inside the
// file. A header that passes can be decoded without further checks.
bool ParseRbpHeader(ByteSpan file, RbpHeader* out, std::string* error);

// Decodes the pixel data of a parsed file into width x height BGRA pixels.
// Keying only matters for type 13: keyed, exactly the words 0xF81F get alpha
// 0; every other type takes its alpha from the file.
bool DecodeRbpPixels(ByteSpan file, const RbpHeader& header, RbpKeying keying, ByteVector* bgra,
                     std::string* error);

// Mask pictures (type 13 only): one alpha byte per landscape pixel, in file
// order, from MaskAlphaFromRgb565.
bool DecodeRbpMaskAlpha(ByteSpan file, const RbpHeader& header, ByteVector* alpha,
                        std::string* error);

struct Rgb8 {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// The low bits of each expanded channel stay 0, so Pack(Expand(w)) == w.
inline Rgb8 ExpandRgb565(uint16_t word) {
    return Rgb8{static_cast<uint8_t>((word >> 11) << 3),
                static_cast<uint8_t>(((word >> 5) & 0x3F) << 2),
                static_cast<uint8_t>((word & 0x1F) << 3)};
}

inline uint16_t PackRgb565(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3));
}

// Alpha bytes of version '1' files hold 0..63; a nonzero v means v x 4 + 3.
// Out-of-range bytes saturate at 255 rather than wrap.
uint8_t RbpAlphaFromFile(char version, uint8_t stored);

// Black masks to opaque, white to transparent: grey = (r8 + g8 + b8) / 3,
// a nonzero grey is ORed with 7, alpha = 255 - grey.
uint8_t MaskAlphaFromRgb565(uint16_t word);

// Appends the 32-byte header (reserved fields 0).
void AppendRbpHeader(ByteVector& out, const RbpHeader& header);

// Encoders over width x height BGRA pixels; bgra must hold exactly
// width x height x 4 bytes and both sizes must be nonzero. Both write data
// offset 32.
//
// Type 13 ("MBP1"): alpha below 128 becomes the key 0xF81F; an opaque pixel
// whose colour packs to 0xF81F is written as 0xF81E so that it stays visible.
bool EncodeRbpType13(ByteSpan bgra, uint32_t width, uint32_t height, int16_t designWidth,
                     int16_t designHeight, ByteVector* out, std::string* error);
// Type 11 ("MBP2"): RGB565 word and the alpha byte as it is.
bool EncodeRbpType11(ByteSpan bgra, uint32_t width, uint32_t height, int16_t designWidth,
                     int16_t designHeight, ByteVector* out, std::string* error);

}  // namespace formats
