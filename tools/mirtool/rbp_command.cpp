// mirtool rbp: header listing and conversion between RBP pictures and PNG.

#include <png.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "formats/rbp.h"
#include "platform/host_files.h"
#include "png_encode.h"

namespace mirtool {

namespace {

using formats::ByteSpan;
using formats::ByteVector;

// Keeps a hostile PNG header from making us allocate gigabytes.
constexpr uint32_t kMaxPngSide = 32767;
constexpr uint64_t kMaxPngPixels = uint64_t{1} << 26;

struct BgraPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    ByteVector pixels;      // blue, green, red, alpha; rows from the top
    bool hadAlpha = false;  // the PNG carried an alpha channel or a transparent colour
};

// --- PNG reading: libpng's error handling longjmps, so the setjmp frame
// below owns no C++ objects; everything it fills lives in the caller.

struct PngSource {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;
    char message[160] = {};
};

void PngError(png_structp png, png_const_charp message) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->position) png_error(png, "PNG file is truncated");
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
}

bool RunPngDecoder(png_structp png, png_infop info, BgraPicture* picture,
                   std::vector<png_bytep>* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
    png_read_info(png, info);
    uint32_t width = png_get_image_width(png, info);
    uint32_t height = png_get_image_height(png, info);
    if (uint64_t{width} * height > kMaxPngPixels) png_error(png, "PNG picture is too large");

    // Every layout becomes 8-bit blue, green, red, alpha.
    int colourType = png_get_color_type(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0 && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (hasTransparency) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_scale_16(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    picture->hadAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || hasTransparency;
    if (!picture->hadAlpha) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4)
        png_error(png, "unsupported PNG pixel layout");

    picture->width = width;
    picture->height = height;
    picture->pixels.resize(size_t{width} * height * 4);
    rows->resize(height);
    for (uint32_t y = 0; y < height; ++y)
        (*rows)[y] = picture->pixels.data() + size_t{y} * width * 4;
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    return true;
}

bool DecodePng(ByteSpan file, BgraPicture* picture, std::string* error) {
    if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) {
        *error = "not a PNG file";
        return false;
    }
    PngSource source;
    source.data = file.data();
    source.size = file.size();
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, PngError, PngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        *error = "out of memory";
        return false;
    }
    png_set_read_fn(png, &source, PngRead);
    std::vector<png_bytep> rows;
    bool ok = RunPngDecoder(png, info, picture, &rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) *error = source.message;
    return ok;
}

// --- the commands

const char* PixelTypeName(uint32_t pixelType) {
    switch (pixelType) {
        case formats::kRbpTypeRgb565:
            return "RGB565, key 0xF81F";
        case formats::kRbpTypeRgb565Alpha:
        case formats::kRbpTypeRgb565AlphaOld:
            return "RGB565 and alpha";
        case formats::kRbpTypeBgra:
            return "BGRA";
        default:
            return "unknown";
    }
}

bool LoadRbp(const std::string& path, ByteVector* file, formats::RbpHeader* header,
             std::string* error) {
    return ReadHostFile(path, file, error) && formats::ParseRbpHeader(*file, header, error);
}

int Info(const std::string& path) {
    ByteVector file;
    formats::RbpHeader header;
    std::string error;
    if (!LoadRbp(path, &file, &header, &error)) return Fail(path, error);
    std::printf("magic: MBP%c\n", header.version);
    std::printf("pixel type: %u (%s)\n", header.pixelType, PixelTypeName(header.pixelType));
    std::printf("width: %u\n", header.width);
    std::printf("height: %u\n", header.height);
    std::printf("data offset: %u\n", header.dataOffset);
    std::printf("design size: %d x %d\n", header.designWidth, header.designHeight);
    return 0;
}

int ToPng(const std::string& inPath, const std::string& outPath) {
    ByteVector file;
    formats::RbpHeader header;
    std::string error;
    if (!LoadRbp(inPath, &file, &header, &error)) return Fail(inPath, error);
    BgraPicture picture;
    picture.width = header.width;
    picture.height = header.height;
    if (!formats::DecodeRbpPixels(file, header, formats::RbpKeying::Keyed, &picture.pixels, &error))
        return Fail(inPath, error);
    ByteVector png;
    if (!EncodePng(picture.pixels, picture.width, picture.height, PngLayout::kBgra, &png, &error)) {
        return Fail(inPath, error);
    }
    if (!WriteOutputFile(outPath, png, &error)) return Fail(outPath, error);
    return 0;
}

// "WxH" with both sides in 0..32767, the range of the header's fields.
bool ParseDesignSize(const std::string& text, int16_t* width, int16_t* height) {
    const char* end = text.data() + text.size();
    int w = -1, h = -1;
    auto [afterWidth, widthError] = std::from_chars(text.data(), end, w);
    if (widthError != std::errc() || afterWidth == end || *afterWidth != 'x') return false;
    auto [afterHeight, heightError] = std::from_chars(afterWidth + 1, end, h);
    if (heightError != std::errc() || afterHeight != end) return false;
    if (w < 0 || h < 0 || w > 32767 || h > 32767) return false;
    *width = static_cast<int16_t>(w);
    *height = static_cast<int16_t>(h);
    return true;
}

int FromPng(const Args& args) {
    std::vector<std::string> paths;
    bool withAlpha = false;
    bool designGiven = false;
    int16_t designWidth = 0, designHeight = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--alpha") {
            withAlpha = true;
        } else if (args[i] == "--design") {
            if (i + 1 == args.size()) return UsageError("--design needs a size WxH");
            if (!ParseDesignSize(args[++i], &designWidth, &designHeight))
                return UsageError("bad design size '" + args[i] + "' (expected WxH, up to 32767)");
            designGiven = true;
        } else if (args[i].starts_with("--")) {
            return UsageError("unknown option '" + args[i] + "'");
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2) return UsageError("rbp frompng needs IN.png and OUT.rbp");
    const std::string& inPath = paths[0];
    const std::string& outPath = paths[1];

    ByteVector file;
    BgraPicture picture;
    std::string error;
    if (!ReadHostFile(inPath, &file, &error) || !DecodePng(file, &picture, &error))
        return Fail(inPath, error);
    if (!designGiven) {
        // The handheld's 320 x 240 stands for the source title's 800 x 600.
        uint64_t w = uint64_t{picture.width} * 800 / 320;
        uint64_t h = uint64_t{picture.height} * 600 / 240;
        if (w > 32767 || h > 32767)
            return Fail(inPath, "picture too large for a default design size; give --design WxH");
        designWidth = static_cast<int16_t>(w);
        designHeight = static_cast<int16_t>(h);
    }
    if (!withAlpha && !picture.hadAlpha) {
        // A picture without alpha marks its see-through pixels by painting
        // them magenta, the key colour of the keyed format.
        for (size_t i = 0; i + 3 < picture.pixels.size(); i += 4) {
            uint8_t* p = &picture.pixels[i];
            if (p[0] == 0xFF && p[1] == 0x00 && p[2] == 0xFF) p[3] = 0;
        }
    }
    ByteVector rbp;
    bool encoded = withAlpha
                       ? formats::EncodeRbpType11(picture.pixels, picture.width, picture.height,
                                                  designWidth, designHeight, &rbp, &error)
                       : formats::EncodeRbpType13(picture.pixels, picture.width, picture.height,
                                                  designWidth, designHeight, &rbp, &error);
    if (!encoded) return Fail(inPath, error);
    if (!WriteOutputFile(outPath, rbp, &error)) return Fail(outPath, error);
    return 0;
}

}  // namespace

int RunRbpCommand(const Args& args) {
    if (args.empty()) return UsageError("rbp needs a command: info, topng or frompng");
    const std::string& command = args[0];
    Args rest(args.begin() + 1, args.end());
    if (command == "info") {
        if (rest.size() != 1) return UsageError("rbp info needs one FILE.rbp");
        return Info(rest[0]);
    }
    if (command == "topng") {
        if (rest.size() != 2) return UsageError("rbp topng needs FILE.rbp and OUT.png");
        return ToPng(rest[0], rest[1]);
    }
    if (command == "frompng") return FromPng(rest);
    return UsageError("unknown rbp command '" + command + "'");
}

}  // namespace mirtool
