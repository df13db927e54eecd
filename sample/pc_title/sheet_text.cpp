#include "sample/pc_title/sheet_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace pc_title {

namespace {

constexpr char kFontFamily[] = "IPAPGothic";
constexpr char kDebianFontPath[] = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

// The font file: fontconfig's match for the family when it really is that
// family, else the path the Debian package installs it at.
std::string FindFont() {
    std::string path;
    if (FcConfig* config = FcInitLoadConfigAndFonts()) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kFontFamily));
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
            FcChar8* family = nullptr;
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                std::string(reinterpret_cast<char*>(family)) == kFontFamily &&
                FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
                path = reinterpret_cast<char*>(file);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        FcConfigDestroy(config);
    }
    if (path.empty() && std::filesystem::exists(kDebianFontPath)) path = kDebianFontPath;
    return path;
}

// The one face every label uses, opened on first use. The pictures cannot
// be drawn without it, so a missing font ends the program with the reason.
FT_Face Face() {
    static FT_Face face = [] {
        FT_Library library = nullptr;
        FT_Face opened = nullptr;
        const std::string path = FindFont();
        if (path.empty() || FT_Init_FreeType(&library) != 0 ||
            FT_New_Face(library, path.c_str(), 0, &opened) != 0) {
            std::fprintf(stderr,
                         "pc_title_generator: %s: cannot open the font %s for the pictures' "
                         "labels (install fonts-ipafont-gothic)\n",
                         path.empty() ? kDebianFontPath : path.c_str(), kFontFamily);
            std::exit(1);
        }
        return opened;
    }();
    return face;
}

std::u32string Decode(std::string_view utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        int extra = byte < 0x80 ? 0 : byte < 0xE0 ? 1 : byte < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? byte : byte & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(code);
        i += extra + 1;
    }
    return out;
}

// Coverage of the text at screen resolution, 0..255 per pixel.
struct Coverage {
    int width = 0;
    int height = 0;
    int ascent = 0;  // baseline row
    std::vector<uint8_t> values;
    uint8_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return values[static_cast<size_t>(y) * width + x];
    }
};

int Advance(FT_Face face, char32_t code, const TextStyle& style) {
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) != 0) return 0;
    return static_cast<int>((face->glyph->advance.x + 32) >> 6) + style.spacing +
           (style.bold ? 1 : 0);
}

Coverage Render(std::string_view utf8, const TextStyle& style) {
    FT_Face face = Face();
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.size));
    const std::u32string text = Decode(utf8);
    Coverage cover;
    cover.ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    const int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    cover.height = cover.ascent + descent + 2;
    for (char32_t code : text) cover.width += Advance(face, code, style);
    cover.width += 2;
    cover.values.assign(static_cast<size_t>(cover.width) * cover.height, 0);
    int penX = 1;
    for (char32_t code : text) {
        if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) != 0) continue;
        FT_GlyphSlot glyph = face->glyph;
        if (style.bold && glyph->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_Outline_Embolden(&glyph->outline, 48);
        if (FT_Render_Glyph(glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
        const FT_Bitmap& bitmap = glyph->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned column = 0; column < bitmap.width; ++column) {
                int x = penX + glyph->bitmap_left + static_cast<int>(column);
                int y = 1 + cover.ascent - glyph->bitmap_top + static_cast<int>(row);
                if (x < 0 || y < 0 || x >= cover.width || y >= cover.height) continue;
                uint8_t& value = cover.values[static_cast<size_t>(y) * cover.width + x];
                value = std::max(value, bitmap.buffer[row * bitmap.pitch + column]);
            }
        }
        penX += Advance(face, code, style);
    }
    return cover;
}

bool IsKey(Colour c) {
    return c.r == 255 && c.g == 0 && c.b == 255;
}

double Quantize(double amount, int levels) {
    if (levels <= 0) return amount;
    return std::round(amount * levels) / levels;
}

// Paints one screen pixel of the text: every design pixel that shrinks
// into it takes the colour, blended by the coverage.
void PaintScreenPixel(Canvas& canvas, int sx, int sy, Colour colour, double amount, bool overKey) {
    if (amount <= 0) return;
    for (int y = ToDesign(sy); y < ToDesign(sy + 1); ++y) {
        for (int x = ToDesign(sx); x < ToDesign(sx + 1); ++x) {
            Colour under = canvas.At(x, y);
            if (IsKey(under) && !overKey) continue;
            canvas.Set(x, y, IsKey(under) ? colour : Mix(under, colour, amount));
        }
    }
}

}  // namespace

int TextWidth(std::string_view utf8, const TextStyle& style) {
    FT_Face face = Face();
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.size));
    int width = 0;
    for (char32_t code : Decode(utf8)) width += Advance(face, code, style);
    return ToDesign(width);
}

void DrawText(Canvas& canvas, std::string_view utf8, int x, int centreY, const TextStyle& style,
              Align align) {
    const Coverage cover = Render(utf8, style);
    const int textWidth = cover.width - 2;
    int left = ToScreen(x);
    if (align == Align::kCentre) left -= textWidth / 2;
    if (align == Align::kRight) left -= textWidth;
    // The em box (ascent above the baseline, the rest below) centred on the row.
    const int top = ToScreen(centreY) - (cover.height - 2) / 2 - 1;
    left -= 1;
    if (style.outline) {
        for (int y = -1; y <= cover.height; ++y) {
            for (int x2 = -1; x2 <= cover.width; ++x2) {
                int ring = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        ring = std::max(ring, static_cast<int>(cover.At(x2 + dx, y + dy)));
                if (ring > 0)
                    PaintScreenPixel(canvas, left + x2, top + y, style.outlineColour,
                                     Quantize(std::min(1.0, ring / 160.0), style.levels),
                                     style.overKey);
            }
        }
    }
    for (int y = 0; y < cover.height; ++y) {
        for (int x2 = 0; x2 < cover.width; ++x2) {
            PaintScreenPixel(canvas, left + x2, top + y, style.colour,
                             Quantize(cover.At(x2, y) / 255.0, style.levels), style.overKey);
        }
    }
}

}  // namespace pc_title
