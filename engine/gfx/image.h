#pragma once
// The engine's picture: pixels blue, green, red, alpha in portrait storage
// (landscape pixel (x, y) of a W x H picture at stored row W - 1 - x, stored
// column y; so storedWidth = H and storedHeight = W). One per image slot.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "formats/archive_reader.h"

namespace platform {
class GlyphRasterizer;
}

namespace gfx {

class ScreenBuffer;

inline constexpr int kImageSlotCount = 67;  // slots 0..66
inline constexpr uint32_t kImageKeyed = 0x80000000u;

enum class Keying { kUnkeyed, kKeyed };

class Image {
public:
    // Reads a picture from a resource location: a text ending in '\' is a
    // folder of loose files (location + name), anything else an archive read
    // through `archives`. The extension is forced to ".rbp". False on failure,
    // with the reason in *why when given.
    bool Load(std::string_view name, std::string_view location, Keying keying,
              formats::ArchiveReader& archives, std::string* why = nullptr);
    // Replaces the alpha of the loaded picture from a type-13 mask picture of
    // the same landscape size: black opaque, white transparent. False on failure.
    bool LoadMask(std::string_view name, std::string_view location,
                  formats::ArchiveReader& archives);
    // A transparent black canvas of the landscape size; keyed. False on failure.
    bool CreateBlank(int32_t landscapeWidth, int32_t landscapeHeight);
    // A copy of the screen buffer, alpha 255; unkeyed. Always succeeds.
    bool CaptureScreen(const ScreenBuffer& screen);
    // Within the design rectangle (scaled by 320 / 800), every pixel whose
    // alpha is not 0 gets alpha = value.
    void SetAlphaInRect(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t value);
    // Writes text into the picture (size and position in design coordinates;
    // colour 0x00BBGGRR), supersampled two times; the glyph boxes become the
    // colour with the ink's coverage as alpha. Defined with the text code.
    void DrawText(std::string_view sjisText, int32_t size, int32_t x, int32_t y, uint32_t colour,
                  platform::GlyphRasterizer& glyphs);
    void Free();

    bool HasPixels() const { return !pixels.empty(); }
    int32_t LandscapeWidth() const { return storedHeight; }
    int32_t LandscapeHeight() const { return storedWidth; }
    // Byte offset of landscape pixel (x, y).
    size_t OffsetOf(int32_t x, int32_t y) const {
        return (static_cast<size_t>(storedHeight - 1 - x) * storedWidth + y) * 4;
    }

    int32_t storedWidth = 0;
    int32_t storedHeight = 0;
    int32_t designWidth = 0;
    int32_t designHeight = 0;
    uint32_t keyFlags = 0;
    std::vector<uint8_t> pixels;  // storedWidth x storedHeight x 4
};

using ImageTable = std::array<std::unique_ptr<Image>, kImageSlotCount>;

}  // namespace gfx
