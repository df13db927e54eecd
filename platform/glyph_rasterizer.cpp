#include "platform/glyph_rasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <vector>

#include "formats/sjis.h"

namespace platform {

namespace {

constexpr char kWantedFamily[] = "IPAGothic";
constexpr char kMissingFontReason[] =
    "no fixed-pitch Japanese font found: install the Debian package fonts-ipafont-gothic "
    "(IPAGothic)";

// "IPA Gothic", "ipagothic" and "IPAGothic" name the same family.
std::string FoldFamily(const char* family) {
    std::string folded;
    for (const char* c = family; *c != '\0'; ++c) {
        if (*c != ' ' && *c != '-') {
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
        }
    }
    return folded;
}

bool HasFamily(FcPattern* font, const std::string& wanted) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        if (FoldFamily(reinterpret_cast<const char*>(family)) == wanted) return true;
    }
    return false;
}

// Fixed pitch in the Japanese sense: full-width characters one em wide and
// half-width ones half an em ("dual"), or strictly one width.
bool IsFixedPitchJapanese(FcPattern* font) {
    int spacing = FC_PROPORTIONAL;
    if (FcPatternGetInteger(font, FC_SPACING, 0, &spacing) != FcResultMatch) return false;
    if (spacing < FC_DUAL) return false;
    FcBool outline = FcFalse;
    if (FcPatternGetBool(font, FC_OUTLINE, 0, &outline) == FcResultMatch && !outline) {
        return false;
    }
    FcLangSet* languages = nullptr;
    if (FcPatternGetLangSet(font, FC_LANG, 0, &languages) != FcResultMatch) return false;
    return FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
}

struct FontLocation {
    std::string file;
    int index = 0;
    std::string family;
};

bool LocationOf(FcPattern* font, FontLocation* location) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return false;
    location->file = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(font, FC_INDEX, 0, &location->index) != FcResultMatch) {
        location->index = 0;
    }
    FcChar8* family = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch) {
        location->family = reinterpret_cast<const char*>(family);
    }
    return true;
}

// The wanted family first. fontconfig always answers with its best guess,
// so a match is taken only when it really is that family; otherwise any
// installed fixed-pitch face covering Japanese will do, so that the text is
// still laid out on the cell grid the message window expects.
bool FindFace(FontLocation* location) {
    // A configuration of our own, dropped when the face is found: nothing of
    // fontconfig stays alive after start-up.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) return false;
    bool found = false;

    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kWantedFamily));
    FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (match != nullptr && HasFamily(match, FoldFamily(kWantedFamily))) {
        found = LocationOf(match, location);
    }
    if (match != nullptr) FcPatternDestroy(match);

    if (!found) {
        FcFontSet* candidates = FcFontSort(config, pattern, FcTrue, nullptr, &result);
        if (candidates != nullptr) {
            for (int i = 0; i < candidates->nfont && !found; ++i) {
                if (IsFixedPitchJapanese(candidates->fonts[i])) {
                    found = LocationOf(candidates->fonts[i], location);
                }
            }
            FcFontSetDestroy(candidates);
        }
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return found;
}

class FreeTypeRasterizer final : public GlyphRasterizer {
public:
    FreeTypeRasterizer(FT_Library library, FT_Face face, std::string family)
        : library_(library), face_(face), family_(std::move(family)) {}
    ~FreeTypeRasterizer() override {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    FreeTypeRasterizer(const FreeTypeRasterizer&) = delete;
    FreeTypeRasterizer& operator=(const FreeTypeRasterizer&) = delete;

    bool Render(char32_t codePoint, int32_t pixelHeight, int32_t weight,
                std::span<uint8_t> square) override;
    std::string FamilyName() const override { return family_; }

private:
    bool SetHeight(int32_t pixelHeight);

    FT_Library library_;
    FT_Face face_;
    std::string family_;
    int32_t currentHeight_ = 0;
};

// The cell (ascender to descender) is scaled to the requested height, as a
// positive font height asks of the system's font output.
bool FreeTypeRasterizer::SetHeight(int32_t pixelHeight) {
    if (pixelHeight == currentHeight_) return true;
    FT_Size_RequestRec request{};
    request.type = FT_SIZE_REQUEST_TYPE_CELL;
    request.width = 0;
    request.height = static_cast<FT_Long>(pixelHeight) * 64;
    if (FT_Request_Size(face_, &request) != 0) {
        currentHeight_ = 0;
        return false;
    }
    currentHeight_ = pixelHeight;
    return true;
}

bool FreeTypeRasterizer::Render(char32_t codePoint, int32_t pixelHeight, int32_t weight,
                                std::span<uint8_t> square) {
    if (pixelHeight < 1 || pixelHeight > kMaxGlyphHeight) return false;
    const size_t edge = static_cast<size_t>(pixelHeight);
    if (square.size() < edge * edge) return false;
    std::fill_n(square.begin(), edge * edge, uint8_t{0});
    if (!SetHeight(pixelHeight)) return false;

    FT_UInt glyphIndex = FT_Get_Char_Index(face_, codePoint);
    if (glyphIndex == 0) return false;
    if (FT_Load_Glyph(face_, glyphIndex, FT_LOAD_NO_BITMAP) != 0) return false;
    FT_GlyphSlot slot = face_->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE && weight >= 600) {
        // The face has one weight; bold is made by thickening the outline,
        // growing it to the right so the left bearing stays where it was.
        FT_Pos strength = std::max<FT_Pos>(
            16, static_cast<FT_Pos>(pixelHeight) * 64 * (std::min(weight, 1000) - 400) / 10000);
        FT_Outline_Embolden(&slot->outline, strength);
        FT_Outline_Translate(&slot->outline, strength / 2, 0);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;

    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.buffer == nullptr) return false;
    const int32_t baseline = static_cast<int32_t>((face_->size->metrics.ascender + 32) >> 6);
    const int32_t originX = slot->bitmap_left;
    const int32_t originY = baseline - slot->bitmap_top;
    const int32_t maxValue = std::max(1, bitmap.num_grays - 1);
    bool anyInk = false;
    for (int32_t row = 0; row < static_cast<int32_t>(bitmap.rows); ++row) {
        const int32_t y = originY + row;
        if (y < 0 || y >= pixelHeight) continue;
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        if (bitmap.pitch < 0) {
            source =
                bitmap.buffer +
                static_cast<ptrdiff_t>(static_cast<int32_t>(bitmap.rows) - 1 - row) * -bitmap.pitch;
        }
        uint8_t* target = square.data() + static_cast<size_t>(y) * edge;
        for (int32_t column = 0; column < static_cast<int32_t>(bitmap.width); ++column) {
            const int32_t x = originX + column;
            if (x < 0 || x >= pixelHeight || source[column] == 0) continue;
            target[x] = static_cast<uint8_t>(std::min(255, source[column] * 255 / maxValue));
            anyInk = true;
        }
    }
    return anyInk;
}

// Shift-JIS to Unicode by table, built once from the C library's code page
// 932 converter: glyph lookups happen per character per frame, and opening a
// converter per character would cost more than drawing the glyph.
constexpr size_t kLeadCount = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);

// Row of the pair table for a lead byte, the trail byte its column.
size_t PairIndex(uint8_t lead, uint8_t trail) {
    const size_t row = lead <= 0x9F ? lead - 0x81 : (0x9F - 0x81 + 1) + (lead - 0xE0);
    return row * 256 + trail;
}

struct SjisTable {
    std::array<char32_t, 256> single{};
    std::vector<char32_t> pairs = std::vector<char32_t>(kLeadCount * 256, 0xFFFD);
};

char32_t ConvertOne(iconv_t converter, const uint8_t* bytes, size_t count) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char input[2] = {static_cast<char>(bytes[0]), count > 1 ? static_cast<char>(bytes[1]) : '\0'};
    unsigned char output[8] = {};
    char* source = input;
    size_t sourceLeft = count;
    char* target = reinterpret_cast<char*>(output);
    size_t targetLeft = sizeof(output);
    if (iconv(converter, &source, &sourceLeft, &target, &targetLeft) == static_cast<size_t>(-1) ||
        sourceLeft != 0 || sizeof(output) - targetLeft != 4) {
        return 0xFFFD;
    }
    return static_cast<char32_t>(output[0] | (output[1] << 8) | (output[2] << 16) |
                                 (output[3] << 24));
}

SjisTable BuildSjisTable() {
    SjisTable table;
    for (int byte = 0; byte < 256; ++byte) {
        table.single[static_cast<size_t>(byte)] =
            byte < 0x80 ? static_cast<char32_t>(byte) : 0xFFFD;
    }
    iconv_t converter = iconv_open("UTF-32LE", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return table;
    for (int byte = 0x80; byte < 256; ++byte) {
        const uint8_t b = static_cast<uint8_t>(byte);
        if (!formats::IsSjisLead(b)) table.single[b] = ConvertOne(converter, &b, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!formats::IsSjisLead(static_cast<uint8_t>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const uint8_t pair[2] = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
            table.pairs[PairIndex(pair[0], pair[1])] = ConvertOne(converter, pair, 2);
        }
    }
    iconv_close(converter);
    return table;
}

}  // namespace

std::unique_ptr<GlyphRasterizer> GlyphRasterizer::Create(std::string* error) {
    FontLocation location;
    if (!FindFace(&location)) {
        if (error != nullptr) *error = kMissingFontReason;
        return nullptr;
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        if (error != nullptr) *error = "the font library could not be started";
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, location.file.c_str(), location.index, &face) != 0 ||
        !FT_IS_SCALABLE(face)) {
        if (face != nullptr) FT_Done_Face(face);
        FT_Done_FreeType(library);
        if (error != nullptr) {
            *error = location.file +
                     ": the font file cannot be read; reinstall the Debian "
                     "package fonts-ipafont-gothic";
        }
        return nullptr;
    }
    return std::make_unique<FreeTypeRasterizer>(library, face, location.family);
}

char32_t SjisCharToCodePoint(uint16_t character) {
    const uint8_t first = static_cast<uint8_t>(character & 0xFF);
    if (first < 0x80) return first;
    static const SjisTable table = BuildSjisTable();
    if (!formats::IsSjisLead(first)) return table.single[first];
    const uint8_t second = static_cast<uint8_t>(character >> 8);
    return table.pairs[PairIndex(first, second)];
}

}  // namespace platform
