#pragma once
// Draws single characters as coverage squares, standing in for the system's
// font output: the face is the fixed-pitch Japanese gothic found through
// fontconfig (IPAGothic), rendered with FreeType at a requested pixel height.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

class GlyphRasterizer {
public:
    // Finds and opens the face; nullptr with a reason when no suitable font
    // is installed.
    static std::unique_ptr<GlyphRasterizer> Create(std::string* error);
    virtual ~GlyphRasterizer() = default;

    // Renders codePoint into an S x S square (row-major, 0 background, 255
    // ink), S = pixelHeight, the character's cell placed at (0, 0) as the
    // system's text output would place it. weight: 0..1000 (400 normal,
    // 700 and above bold). Returns false when the square is empty or the
    // size is unusable.
    virtual bool Render(char32_t codePoint, int32_t pixelHeight, int32_t weight,
                        std::span<uint8_t> square) = 0;
};

// The Unicode code point of a Shift-JIS character (first byte low, second
// byte high, 0 for a one-byte character); U+FFFD when it does not convert.
char32_t SjisCharToCodePoint(uint16_t character);

}  // namespace platform
