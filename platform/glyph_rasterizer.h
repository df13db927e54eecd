#pragma once
// Draws single characters as coverage squares, standing in for the system's
// font output: the face is the fixed-pitch Japanese gothic found through
// fontconfig (IPAGothic), rendered with FreeType at a requested pixel height.
//
// Thread safety: one rasteriser is used by one thread at a time (the game
// thread); the face it holds is not safe to share.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

// Largest square edge Render accepts; a larger request is unusable.
inline constexpr int32_t kMaxGlyphHeight = 1024;

class GlyphRasterizer {
public:
    // Finds and opens the face; nullptr with a reason when no suitable font
    // is installed.
    static std::unique_ptr<GlyphRasterizer> Create(std::string* error);
    virtual ~GlyphRasterizer() = default;

    // Renders codePoint into an S x S square (row-major, 0 background, 255
    // ink), S = pixelHeight, the character's cell placed at (0, 0) as the
    // system's text output would place it: a full-width character fills the
    // square, a half-width one its left half. weight: 0..1000 (below 600 the
    // face's own weight, 600 and above emboldened). The square is cleared
    // first whenever it is large enough. Returns false when the square is
    // empty or the size is unusable (below 1, above kMaxGlyphHeight, or a
    // square smaller than S x S).
    virtual bool Render(char32_t codePoint, int32_t pixelHeight, int32_t weight,
                        std::span<uint8_t> square) = 0;

    // The family name of the face in use, for start-up logs and tests.
    virtual std::string FamilyName() const { return {}; }
};

// The Unicode code point of a Shift-JIS character (first byte low, second
// byte high, 0 for a one-byte character); U+FFFD when it does not convert.
// The first byte decides the length: the high byte of a one-byte character
// is ignored.
char32_t SjisCharToCodePoint(uint16_t character);

}  // namespace platform
