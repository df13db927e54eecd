#include "formats/rbp.h"

#include <algorithm>
#include <utility>

namespace formats {

namespace {

bool Refuse(std::string* error, const char* reason) {
    if (error != nullptr) *error = reason;
    return false;
}

// Re-checks what ParseRbpHeader promised, so that a header built by hand can
// never make a decoder read past the file.
bool CheckPixelRange(ByteSpan file, const RbpHeader& header, std::string* error) {
    uint32_t bytesPerPixel = RbpBytesPerPixel(header.pixelType);
    if (bytesPerPixel == 0) return Refuse(error, "unknown pixel type");
    if (header.width == 0 || header.height == 0) return Refuse(error, "picture has no pixels");
    if (header.dataOffset > file.size())
        return Refuse(error, "pixel data starts past the end of the file");
    // width x height fits in 64 bits; comparing pixel counts instead of byte
    // counts keeps the product from overflowing when it is multiplied again.
    uint64_t pixels = static_cast<uint64_t>(header.width) * header.height;
    uint64_t available = (file.size() - header.dataOffset) / bytesPerPixel;
    if (pixels > available) return Refuse(error, "pixel data runs past the end of the file");
    return true;
}

bool CheckEncoderInput(ByteSpan bgra, uint32_t width, uint32_t height, std::string* error) {
    if (width == 0 || height == 0) return Refuse(error, "picture has no pixels");
    uint64_t pixels = static_cast<uint64_t>(width) * height;
    if (pixels > bgra.size() / 4 || pixels * 4 != bgra.size())
        return Refuse(error, "pixel buffer does not match the picture size");
    return true;
}

}  // namespace

uint32_t RbpBytesPerPixel(uint32_t pixelType) {
    switch (pixelType) {
        case kRbpTypeRgb565:
            return 2;
        case kRbpTypeRgb565Alpha:
        case kRbpTypeRgb565AlphaOld:
            return 3;
        case kRbpTypeBgra:
            return 4;
        default:
            return 0;
    }
}

bool ParseRbpHeader(ByteSpan file, RbpHeader* out, std::string* error) {
    if (file.size() < kRbpHeaderSize) return Refuse(error, "file too short for its header");
    if (file[0] != 'M' || file[1] != 'B' || file[2] != 'P')
        return Refuse(error, "not an RBP file (bad magic)");
    RbpHeader header;
    header.version = static_cast<char>(file[3]);
    if (header.version != '1' && header.version != '2')
        return Refuse(error, "unknown version character");
    header.pixelType = ReadLe32(file, 4);
    header.width = ReadLe32(file, 8);
    header.height = ReadLe32(file, 12);
    header.dataOffset = ReadLe32(file, 16);
    header.designWidth = static_cast<int16_t>(ReadLe16(file, 20));
    header.designHeight = static_cast<int16_t>(ReadLe16(file, 22));
    if (header.dataOffset < kRbpHeaderSize)
        return Refuse(error, "pixel data offset lies inside the header");
    if (!CheckPixelRange(file, header, error)) return false;
    if (out != nullptr) *out = header;
    return true;
}

uint8_t RbpAlphaFromFile(char version, uint8_t stored) {
    if (version != '1' || stored == 0) return stored;
    return static_cast<uint8_t>(std::min(stored * 4 + 3, 255));
}

uint8_t MaskAlphaFromRgb565(uint16_t word) {
    Rgb8 colour = ExpandRgb565(word);
    int grey = (colour.red + colour.green + colour.blue) / 3;
    if (grey != 0) grey |= 7;
    return static_cast<uint8_t>(255 - grey);
}

bool DecodeRbpPixels(ByteSpan file, const RbpHeader& header, RbpKeying keying, ByteVector* bgra,
                     std::string* error) {
    if (!CheckPixelRange(file, header, error)) return false;
    size_t pixels = static_cast<size_t>(header.width) * header.height;
    ByteVector result(pixels * 4);
    const uint8_t* in = file.data() + header.dataOffset;
    uint8_t* outPixel = result.data();
    const bool keyed = keying == RbpKeying::Keyed;

    switch (header.pixelType) {
        case kRbpTypeRgb565:
            for (size_t i = 0; i < pixels; ++i, in += 2, outPixel += 4) {
                uint16_t word = static_cast<uint16_t>(in[0] | (in[1] << 8));
                Rgb8 colour = ExpandRgb565(word);
                outPixel[0] = colour.blue;
                outPixel[1] = colour.green;
                outPixel[2] = colour.red;
                outPixel[3] = keyed && word == kRbpKeyColour ? 0 : 255;
            }
            break;
        case kRbpTypeRgb565Alpha:
        case kRbpTypeRgb565AlphaOld:
            for (size_t i = 0; i < pixels; ++i, in += 3, outPixel += 4) {
                Rgb8 colour = ExpandRgb565(static_cast<uint16_t>(in[0] | (in[1] << 8)));
                outPixel[0] = colour.blue;
                outPixel[1] = colour.green;
                outPixel[2] = colour.red;
                outPixel[3] = RbpAlphaFromFile(header.version, in[2]);
            }
            break;
        case kRbpTypeBgra:
            for (size_t i = 0; i < pixels; ++i, in += 4, outPixel += 4) {
                outPixel[0] = in[0];
                outPixel[1] = in[1];
                outPixel[2] = in[2];
                outPixel[3] = RbpAlphaFromFile(header.version, in[3]);
            }
            break;
    }
    if (bgra != nullptr) *bgra = std::move(result);
    return true;
}

bool DecodeRbpMaskAlpha(ByteSpan file, const RbpHeader& header, ByteVector* alpha,
                        std::string* error) {
    if (!CheckPixelRange(file, header, error)) return false;
    if (header.pixelType != kRbpTypeRgb565) return Refuse(error, "mask is not of pixel type 13");
    size_t pixels = static_cast<size_t>(header.width) * header.height;
    ByteVector result(pixels);
    const uint8_t* in = file.data() + header.dataOffset;
    for (size_t i = 0; i < pixels; ++i, in += 2)
        result[i] = MaskAlphaFromRgb565(static_cast<uint16_t>(in[0] | (in[1] << 8)));
    if (alpha != nullptr) *alpha = std::move(result);
    return true;
}

void AppendRbpHeader(ByteVector& out, const RbpHeader& header) {
    out.push_back('M');
    out.push_back('B');
    out.push_back('P');
    out.push_back(static_cast<uint8_t>(header.version));
    AppendLe32(out, header.pixelType);
    AppendLe32(out, header.width);
    AppendLe32(out, header.height);
    AppendLe32(out, header.dataOffset);
    AppendLe16(out, static_cast<uint16_t>(header.designWidth));
    AppendLe16(out, static_cast<uint16_t>(header.designHeight));
    AppendLe32(out, 0);
    AppendLe32(out, 0);
}

bool EncodeRbpType13(ByteSpan bgra, uint32_t width, uint32_t height, int16_t designWidth,
                     int16_t designHeight, ByteVector* out, std::string* error) {
    if (!CheckEncoderInput(bgra, width, height, error)) return false;
    RbpHeader header{
        '1',         kRbpTypeRgb565, width, height, static_cast<uint32_t>(kRbpHeaderSize),
        designWidth, designHeight};
    ByteVector file;
    file.reserve(kRbpHeaderSize + bgra.size() / 2);
    AppendRbpHeader(file, header);
    for (size_t i = 0; i < bgra.size(); i += 4) {
        uint16_t word = kRbpKeyColour;
        if (bgra[i + 3] >= 128) {
            word = PackRgb565(bgra[i + 2], bgra[i + 1], bgra[i]);
            // One blue step off magenta looks the same but is no longer the key.
            if (word == kRbpKeyColour) word = kRbpKeyColour - 1;
        }
        AppendLe16(file, word);
    }
    if (out != nullptr) *out = std::move(file);
    return true;
}

bool EncodeRbpType11(ByteSpan bgra, uint32_t width, uint32_t height, int16_t designWidth,
                     int16_t designHeight, ByteVector* out, std::string* error) {
    if (!CheckEncoderInput(bgra, width, height, error)) return false;
    RbpHeader header{
        '2',         kRbpTypeRgb565Alpha, width, height, static_cast<uint32_t>(kRbpHeaderSize),
        designWidth, designHeight};
    ByteVector file;
    file.reserve(kRbpHeaderSize + bgra.size() / 4 * 3);
    AppendRbpHeader(file, header);
    for (size_t i = 0; i < bgra.size(); i += 4) {
        AppendLe16(file, PackRgb565(bgra[i + 2], bgra[i + 1], bgra[i]));
        file.push_back(bgra[i + 3]);
    }
    if (out != nullptr) *out = std::move(file);
    return true;
}

}  // namespace formats
