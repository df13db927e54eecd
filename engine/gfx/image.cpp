// Loading pictures and masks into portrait storage, blank canvases, screen
// captures and the alpha of a rectangle. Text drawing lives with the text
// code (image_text.cpp).

#include "engine/gfx/image.h"

#include <algorithm>
#include <new>

#include "engine/gfx/screen_buffer.h"
#include "formats/rbp.h"
#include "formats/sjis.h"
#include "platform/device_file.h"

namespace gfx {

namespace {

constexpr size_t kMaxNameLength = 63;

// Allocation failures become a refused load rather than an escaping
// exception: a picture too large for memory is just a picture that failed.
template <typename Body>
bool WithoutBadAlloc(Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// A location is a folder when its last character is a '\' of its own, not
// the trail byte of a double-byte character.
bool IsFolderLocation(std::string_view location) {
    return !location.empty() && formats::SjisFindLastBackslash(location) == location.size() - 1;
}

// Steps shared by pictures and masks: the name check, the forced ".rbp"
// extension, and reading from the folder or the archive.
bool ReadPictureFile(std::string_view name, std::string_view location,
                     formats::ArchiveReader& archives, formats::ByteVector* file,
                     std::string* why = nullptr) {
    file->clear();
    std::string reason;
    if (name.size() > kMaxNameLength) {
        reason = "name longer than " + std::to_string(kMaxNameLength) + " bytes";
    } else {
        std::string fileName = formats::SjisForceExtension(name, ".rbp");
        if (IsFolderLocation(location)) {
            std::string path(location);
            path += fileName;
            if (!platform::ReadWholeFile(path, file)) reason = "cannot be read";
        } else if (!archives.ReadEntry(location, fileName, file)) {
            reason = archives.LastError();
        }
        if (reason.empty() && file->empty()) reason = "empty picture file";
    }
    if (why != nullptr) *why = reason;
    return reason.empty();
}

}  // namespace

bool Image::Load(std::string_view name, std::string_view location, Keying keying,
                 formats::ArchiveReader& archives, std::string* why) {
    Free();
    formats::ByteVector file;
    if (!ReadPictureFile(name, location, archives, &file, why)) return false;
    formats::RbpHeader header;
    if (!formats::ParseRbpHeader(file, &header, why)) return false;
    // The stored sizes are signed 32-bit; the file size already bounds the
    // pixel count far below this.
    if (header.width > INT32_MAX || header.height > INT32_MAX) return false;
    const bool keyed = keying == Keying::kKeyed;

    std::vector<uint8_t> portrait;
    bool decoded = WithoutBadAlloc([&] {
        formats::ByteVector landscape;
        if (!formats::DecodeRbpPixels(
                file, header, keyed ? formats::RbpKeying::Keyed : formats::RbpKeying::Unkeyed,
                &landscape, nullptr))
            return false;
        file = formats::ByteVector();  // the file bytes are not needed past this point
        portrait.resize(landscape.size());
        // Landscape pixel (x, y) goes to stored row W - 1 - x, column y.
        const size_t w = header.width, h = header.height;
        for (size_t x = 0; x < w; ++x) {
            uint8_t* out = portrait.data() + (w - 1 - x) * h * 4;
            const uint8_t* in = landscape.data() + x * 4;
            for (size_t y = 0; y < h; ++y, out += 4, in += w * 4) std::copy_n(in, 4, out);
        }
        return true;
    });
    if (!decoded) {
        if (why != nullptr) *why = "picture data does not decode";
        return false;
    }

    pixels = std::move(portrait);
    storedWidth = static_cast<int32_t>(header.height);
    storedHeight = static_cast<int32_t>(header.width);
    designWidth = header.designWidth;
    designHeight = header.designHeight;
    keyFlags = keyed ? kImageKeyed : 0;
    return true;
}

bool Image::LoadMask(std::string_view name, std::string_view location,
                     formats::ArchiveReader& archives) {
    if (!HasPixels()) return false;
    formats::ByteVector file;
    if (!ReadPictureFile(name, location, archives, &file)) return false;
    formats::RbpHeader header;
    if (!formats::ParseRbpHeader(file, &header, nullptr)) return false;
    // A mask of any other size would have its rows read past their end or
    // laid onto the wrong pixels; only a mask that matches the picture counts.
    if (header.pixelType != formats::kRbpTypeRgb565 ||
        header.width != static_cast<uint32_t>(LandscapeWidth()) ||
        header.height != static_cast<uint32_t>(LandscapeHeight()))
        return false;
    formats::ByteVector alpha;
    if (!WithoutBadAlloc(
            [&] { return formats::DecodeRbpMaskAlpha(file, header, &alpha, nullptr); }))
        return false;
    const int32_t w = LandscapeWidth(), h = LandscapeHeight();
    const uint8_t* in = alpha.data();
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) pixels[OffsetOf(x, y) + 3] = *in++;
    }
    return true;
}

bool Image::CreateBlank(int32_t landscapeWidth, int32_t landscapeHeight) {
    Free();
    if (landscapeWidth <= 0 || landscapeHeight <= 0) return false;
    size_t bytes = static_cast<size_t>(landscapeWidth) * static_cast<size_t>(landscapeHeight) * 4;
    if (!WithoutBadAlloc([&] {
            pixels.assign(bytes, 0);
            return true;
        }))
        return false;
    keyFlags = kImageKeyed;
    designWidth = static_cast<int32_t>(int64_t{landscapeWidth} * 800 / 320);
    designHeight = static_cast<int32_t>(int64_t{landscapeHeight} * 600 / 240);
    storedWidth = landscapeHeight;
    storedHeight = landscapeWidth;
    return true;
}

bool Image::CaptureScreen(const ScreenBuffer& screen) {
    Free();
    pixels.resize(static_cast<size_t>(kStoredColumns) * kStoredRows * 4);
    const uint8_t* in = screen.Bits();
    uint8_t* out = pixels.data();
    for (int32_t i = 0; i < kStoredColumns * kStoredRows; ++i, in += 3, out += 4) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = 255;
    }
    storedWidth = kStoredColumns;
    storedHeight = kStoredRows;
    // The whole screen in design coordinates.
    designWidth = 800;
    designHeight = 600;
    keyFlags = 0;
    return true;
}

void Image::SetAlphaInRect(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t value) {
    if (!HasPixels()) return;
    auto scale = [](int32_t v) { return static_cast<int32_t>(int64_t{v} * 320 / 800); };
    int64_t left = scale(x), top = scale(y);
    int64_t right = left + scale(width), bottom = top + scale(height);
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    right = std::min<int64_t>(right, LandscapeWidth());
    bottom = std::min<int64_t>(bottom, LandscapeHeight());
    for (int64_t px = left; px < right; ++px) {
        for (int64_t py = top; py < bottom; ++py) {
            uint8_t& alpha =
                pixels[OffsetOf(static_cast<int32_t>(px), static_cast<int32_t>(py)) + 3];
            if (alpha != 0) alpha = value;
        }
    }
}

void Image::Free() {
    std::vector<uint8_t>().swap(pixels);
    storedWidth = 0;
    storedHeight = 0;
    designWidth = 0;
    designHeight = 0;
    keyFlags = 0;
}

}  // namespace gfx
